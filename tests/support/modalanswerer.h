#ifndef MODALANSWERER_H
#define MODALANSWERER_H

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

// Answers the application's modal boxes and dialogs from a timer, as a user would, and records
// what each message box showed. A modal widget that nobody expected is recorded and rejected, so
// a test fails instead of hanging.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    struct SeenBox
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        // Whether the application showed a cursor of its own (a wait cursor, say) with the box.
        bool cursorOverridden;
    };

    explicit ModalAnswerer(QObject *parent = nullptr);

    // Queue the answer for the next message box: press a button, press Escape, or close it.
    void pressButton(QMessageBox::StandardButton button);
    void pressEscape();
    void closeWindow();
    // Queue any handling of the next modal widget (a file dialog, say).
    void handleNext(std::function<void(QWidget *)> handler);

    const QList<SeenBox> &seenBoxes() const { return boxes; }
    // Class names of modal widgets that appeared with no answer queued.
    const QStringList &unexpected() const { return strays; }
    int pendingAnswers() const { return handlers.size(); }

private:
    void poll();
    void handleBox(std::function<void(QMessageBox *)> answer);

    QTimer timer;
    QQueue<std::function<void(QWidget *)>> handlers;
    QList<SeenBox> boxes;
    QStringList strays;
};

#endif // MODALANSWERER_H
