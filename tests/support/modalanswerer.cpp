#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTest>

namespace {
const char answeredProperty[] = "modalAnswererSeen";
}

ModalAnswerer::ModalAnswerer(QObject *parent)
    : QObject(parent)
{
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer.start();
}

void ModalAnswerer::pressButton(QMessageBox::StandardButton button)
{
    handleBox([button](QMessageBox *box) {
        if (QAbstractButton *b = box->button(button))
            b->click();
        else
            box->reject();
    });
}

void ModalAnswerer::pressEscape()
{
    handleBox([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); });
}

void ModalAnswerer::closeWindow()
{
    handleBox([](QMessageBox *box) { box->close(); });
}

void ModalAnswerer::handleNext(std::function<void(QWidget *)> handler)
{
    handlers.enqueue(std::move(handler));
}

void ModalAnswerer::handleBox(std::function<void(QMessageBox *)> answer)
{
    handleNext([this, answer](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box) {
            strays.append(QString::fromLatin1(widget->metaObject()->className()));
            if (auto *dialog = qobject_cast<QDialog *>(widget))
                dialog->reject();
            return;
        }
        boxes.append({ box->icon(), box->windowTitle(), box->text(), box->standardButtons(),
                       QApplication::overrideCursor() != nullptr });
        answer(box);
    });
}

void ModalAnswerer::poll()
{
    QWidget *widget = QApplication::activeModalWidget();
    if (!widget || !widget->isVisible() || widget->property(answeredProperty).toBool())
        return;
    widget->setProperty(answeredProperty, true);
    if (handlers.isEmpty()) {
        strays.append(QString::fromLatin1(widget->metaObject()->className()));
        if (auto *dialog = qobject_cast<QDialog *>(widget))
            dialog->reject();
        else
            widget->close();
        return;
    }
    handlers.dequeue()(widget);
}
