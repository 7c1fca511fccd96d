#ifndef SHOWNBOXES_H
#define SHOWNBOXES_H

#include "modalanswerer.h"

#include <QStringList>

// Boxes as one line each (kind, buttons, title, text), so a whole run compares in one go.
QStringList describeBoxes(const QList<ModalAnswerer::SeenBox> &boxes);
QString confirmationBox(const QString &title, const QString &text);
QString successBox(const QString &title, const QString &text);
QString failureBox(const QString &title, const QString &text);

// The boxes of one action, named by its entry point, as the user must see them.
struct ActionBoxes
{
    QString confirmation;
    QString success;
    QString failure;
};
ActionBoxes boxesOf(const QString &action);

// Queues a refusal of the next box: "Cancel", "Escape" or closing it ("close").
void queueRefusal(ModalAnswerer &answerer, const QString &how);

// Runs an action answering Ok to every box and returns the boxes it showed.
QStringList runConfirmed(void (*action)());

#endif // SHOWNBOXES_H
