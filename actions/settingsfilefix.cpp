#include "actions/settingsfilefix.h"

#include "actions/actionsequence.h"
#include "actions/makerfolders.h"
#include "platform/account/profileaccount.h"
#include "platform/files/heldentry.h"
#include "platform/files/knownfolders.h"

#include <QCoreApplication>
#include <QRegExp>

namespace {

QStringList currentStaleSettingsFiles()
{
    return staleSettingsFiles(appDataLocations(), QCoreApplication::applicationDirPath());
}

// Each file is reached from the known folder through the maker's folder and Velto-Studio Profi,
// one plain name at a time: a link on the way leads nowhere, and the file goes as itself. All of
// it with the rights on files of the account whose folder it is.
HeldEntry staleFile(const QString &path)
{
    return reachEntry(path, 2);
}

void deleteStaleSettingsFiles()
{
    const AccountFileRights rights(ProfileAccount::current());
    if (!rights.isHeld())
        return;
    for (const QString &path : currentStaleSettingsFiles()) {
        const HeldEntry file = staleFile(path);
        if (file.outcome.kind == HeldFolder::Outcome::Done)
            file.folder.removeEntry(file.name);
    }
}

bool staleSettingsFilesAreGone()
{
    const AccountFileRights rights(ProfileAccount::current());
    if (!rights.isHeld())
        return false;
    for (const QString &path : currentStaleSettingsFiles()) {
        const HeldEntry file = staleFile(path);
        // Nothing of the maker's where the way is missing or leads through a link.
        if (file.outcome.kind == HeldFolder::Outcome::Gone
            || file.outcome.kind == HeldFolder::Outcome::NotAFolder)
            continue;
        if (file.outcome.kind != HeldFolder::Outcome::Done)
            return false;
        HeldFolder::Outcome listed;
        for (const HeldFolder::Entry &entry : file.folder.entries(&listed)) {
            if (HeldFolder::isSameName(entry.name, file.name))
                return false;
        }
        if (listed.kind != HeldFolder::Outcome::Done)
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
              deleteStaleSettingsFiles, staleSettingsFilesAreGone, true });
}
