#include "shownboxes.h"

namespace {

QString describeBox(QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                    const QString &title, const QString &text)
{
    const char *kind = icon == QMessageBox::Warning ? "warning"
            : icon == QMessageBox::Information      ? "information"
            : icon == QMessageBox::Critical         ? "critical"
                                                    : "other";
    QString line = QString::fromLatin1(kind);
    if (buttons & QMessageBox::Ok)
        line += QLatin1String(" Ok");
    if (buttons & QMessageBox::Cancel)
        line += QLatin1String(" Cancel");
    if (buttons & ~(QMessageBox::Ok | QMessageBox::Cancel))
        line += QLatin1String(" +others");
    return line + QLatin1String(" | ") + title + QLatin1String(" | ") + text;
}

} // namespace

QStringList describeBoxes(const QList<ModalAnswerer::SeenBox> &boxes)
{
    QStringList lines;
    for (const ModalAnswerer::SeenBox &box : boxes)
        lines << describeBox(box.icon, box.buttons, box.title, box.text);
    return lines;
}

QString confirmationBox(const QString &title, const QString &text)
{
    return describeBox(QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel, title, text);
}

QString successBox(const QString &title, const QString &text)
{
    return describeBox(QMessageBox::Information, QMessageBox::Ok, title, text);
}

QString failureBox(const QString &title, const QString &text)
{
    return describeBox(QMessageBox::Critical, QMessageBox::Ok, title, text);
}

QStringList runConfirmed(void (*action)())
{
    ModalAnswerer answerer;
    // The combined fix shows the most: two actions of two boxes each.
    for (int box = 0; box < 4; ++box)
        answerer.pressButton(QMessageBox::Ok);
    action();
    return describeBoxes(answerer.seenBoxes()) + answerer.unexpected();
}

void queueRefusal(ModalAnswerer &answerer, const QString &how)
{
    if (how == QLatin1String("Escape"))
        answerer.pressEscape();
    else if (how == QLatin1String("close"))
        answerer.closeWindow();
    else
        answerer.pressButton(QMessageBox::Cancel);
}
