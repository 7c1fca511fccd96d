#include "actions/directoryremoval.h"

#include "actions/actionsequence.h"
#include "actions/makerfolders.h"
#include "platform/files/folderremoval.h"
#include "platform/files/knownfolders.h"

#include <QCoreApplication>

namespace {

QStringList currentMakerFolders()
{
    return makerFolders(appDataLocations(), QCoreApplication::applicationDirPath());
}

void removeMakerFolders()
{
    for (const QString &folder : currentMakerFolders())
        removeFolder(folder, QCoreApplication::applicationDirPath());
}

bool makerFoldersAreGone()
{
    for (const QString &folder : currentMakerFolders()) {
        if (entryExists(folder))
            return false;
    }
    return true;
}

} // namespace

void deleteAllDirectories()
{
    runAction({ QStringLiteral("Velto Studio Standardverzeichnisse löschen"),
                QStringLiteral("Hiermit werden die Velto Studio Standardverzeichnisse gelöscht. "
                               "Bestätige bitte mit OK um diese zu löschen."),
                QStringLiteral("Alle Standardverzeichnisse wurden erfolgreich gelöscht. Bitte "
                               "Deinstalliere jetzt Velto Studio, falls noch nicht geschehen, und "
                               "installiere Velto Studio neu."),
                QStringLiteral("Nicht Alle Standardverzeichnisse konnten gelöscht werden. Bitte "
                               "setze dich mit dem Support in Verbindung."),
                removeMakerFolders, makerFoldersAreGone });
}
