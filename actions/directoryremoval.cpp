#include "actions/directoryremoval.h"

#include "actions/actionsequence.h"
#include "actions/makerfolders.h"
#include "platform/account/profileaccount.h"
#include "platform/files/folderremoval.h"
#include "platform/files/knownfolders.h"

#include <QCoreApplication>

#include <functional>

namespace {

// Runs act on each maker folder, the roaming ones with the rights on files of the account whose
// folder it is: a link that account placed on the way leads only where it could delete anyway.
// False when act is false for any, or those rights cannot be taken.
bool forEachMakerFolder(const std::function<bool(const QString &)> &act)
{
    const QStringList locations = appDataLocations();
    const QString executableDir = QCoreApplication::applicationDirPath();
    const QStringList roaming = roamingMakerFolders(locations, executableDir);
    const ProfileAccount account = ProfileAccount::current();
    bool all = true;
    for (const QString &folder : makerFolders(locations, executableDir)) {
        const AccountFileRights rights(roaming.contains(folder) ? account : ProfileAccount());
        all = rights.isHeld() && act(folder) && all;
    }
    return all;
}

void removeMakerFolders()
{
    forEachMakerFolder([](const QString &folder) {
        removeFolder(folder, QCoreApplication::applicationDirPath());
        return true;
    });
}

bool makerFoldersAreGone()
{
    return forEachMakerFolder([](const QString &folder) { return !entryExists(folder); });
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
                removeMakerFolders, makerFoldersAreGone, true });
}
