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

ActionBoxes boxesOf(const QString &action)
{
    QString title;
    QString confirmation;
    QString success;
    QString failure;
    if (action == QLatin1String("deleteAllDirectories")) {
        title = QStringLiteral("Velto Studio Standardverzeichnisse löschen");
        confirmation = QStringLiteral("Hiermit werden die Velto Studio Standardverzeichnisse "
                                      "gelöscht. Bestätige bitte mit OK um diese zu löschen.");
        success = QStringLiteral("Alle Standardverzeichnisse wurden erfolgreich gelöscht. Bitte "
                                 "Deinstalliere jetzt Velto Studio, falls noch nicht geschehen, "
                                 "und installiere Velto Studio neu.");
        failure = QStringLiteral("Nicht Alle Standardverzeichnisse konnten gelöscht werden. Bitte "
                                 "setze dich mit dem Support in Verbindung.");
    } else if (action == QLatin1String("deleteAllRegistryData")) {
        title = QStringLiteral("Velto Studio Registrierung säubern");
        confirmation = QStringLiteral("Hiermit wird Windowsregistrierung von ALLEN Kormand "
                                      "Einträgen gesäubert. Bestätige bitte mit OK um diese zu "
                                      "entfernen. Bei Fragen wende dich bitte an den Support.");
        success = QStringLiteral("Alle Einträge wurden erfolgreich gelöscht.");
        failure = QStringLiteral("Nicht alle Einträge konnten gelöscht werden. Bitte setze dich "
                                 "mit dem Support in Verbindung.");
    } else if (action == QLatin1String("fixVeltoSetFile")) {
        title = QStringLiteral("Velto Studio Passwort Fehler");
        confirmation = QStringLiteral("Hiermit werden fehlerhafte Dateien entfernt, die zu diesem "
                                      "Fehler führen. Bestätige bitte mit OK um fortzufahren. Bei "
                                      "Fragen wende dich bitte an den Support.");
        success = QStringLiteral(
                "Änderung erfolgreich abgeschlossen. Bitte starte Velto Studio neu!");
        failure = QStringLiteral("Nicht alle Vorgänge konnten durchgeführt werden. Bitte setze "
                                 "dich mit dem Support in Verbindung.");
    } else {
        title = QStringLiteral("Velto Studio Benutzerkontensteuerung Fix");
        confirmation = action == QLatin1String("changeUacConfig")
                ? QStringLiteral("Hiermit wird die Windows-Benutzerkontensteuerung (UAC) für den "
                                 "ganzen Rechner abgeschaltet (EnableLUA = 0). Das gilt für alle "
                                 "Programme und alle Benutzer dieses Rechners. Bestätige bitte mit "
                                 "OK um die Änderung vorzunehmen. Bei Fragen wende dich bitte an "
                                 "den Support.")
                : QStringLiteral("Hiermit wird die Windows-Einstellung für verknüpfte Verbindungen "
                                 "für den ganzen Rechner eingeschaltet (EnableLinkedConnections = "
                                 "1), damit deine Netzlaufwerke auch in Programmen mit "
                                 "Administratorrechten sichtbar sind. Bestätige bitte mit OK um "
                                 "die Änderung vorzunehmen. Bei Fragen wende dich bitte an den "
                                 "Support.");
        success = QStringLiteral(
                "Änderung erfolgreich abgeschlossen. Bitte starte deinen Rechner neu!");
        failure = QStringLiteral("Nicht alle Einträge konnten geändert werden. Bitte setze dich "
                                 "mit dem Support in Verbindung.");
    }
    return { confirmationBox(title, confirmation), successBox(title, success),
             failureBox(title, failure) };
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
