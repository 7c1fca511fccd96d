#include "actions/settingsfilefix.h"

#include "actions/actionsequence.h"
#include "actions/makerfolders.h"
#include "platform/files/knownfolders.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegExp>

namespace {

QStringList currentStaleSettingsFiles()
{
    return staleSettingsFiles(appDataLocations(), QCoreApplication::applicationDirPath());
}

void deleteStaleSettingsFiles()
{
    for (const QString &file : currentStaleSettingsFiles()) {
        if (QFile::exists(file))
            QFile::remove(file);
    }
}

bool staleSettingsFilesAreGone()
{
    for (const QString &file : currentStaleSettingsFiles()) {
        if (QFile::exists(file))
            return false;
    }
    return true;
}

} // namespace

QStringList staleSettingsFiles(const QStringList &locations, const QString &executableDir)
{
    QStringList files;
    for (QString folder : roamingMakerFolders(locations, executableDir)) {
        folder.replace(QRegExp(QStringLiteral("\\\\$"), Qt::CaseSensitive, QRegExp::RegExp),
                       QString());
        files << QStringLiteral("%1/Velto-Studio Profi/velto.set").arg(folder)
              << QStringLiteral("%1/Velto-Studio Profi/velto.~se").arg(folder);
    }
    return files;
}

void fixVeltoSetFile()
{
    runAction(
            { QStringLiteral("Velto Studio Passwort Fehler"),
              QStringLiteral("Hiermit werden fehlerhafte Dateien entfernt, die zu diesem Fehler "
                             "führen. Bestätige bitte mit OK um fortzufahren. Bei Fragen wende "
                             "dich bitte an den Support."),
              QStringLiteral("Änderung erfolgreich abgeschlossen. Bitte starte Velto Studio neu!"),
              QStringLiteral("Nicht alle Vorgänge konnten durchgeführt werden. Bitte setze dich "
                             "mit dem Support in Verbindung."),
              deleteStaleSettingsFiles, staleSettingsFilesAreGone });
}
