#include "actions/registrycleanup.h"

#include "actions/actionsequence.h"
#include "actions/directoryremoval.h"
#include "platform/account/profileaccount.h"
#include "platform/registry/registrykey.h"

#include <QStringList>

namespace {

const QStringList makerTrees = { QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand"),
                                 QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand") };

void emptyMakerTrees()
{
    for (const QString &tree : makerTrees)
        RegistryKey(tree).removeAll();
}

bool makerTreesAreEmpty()
{
    for (const QString &tree : makerTrees) {
        if (!RegistryKey(tree).allKeys().isEmpty())
            return false;
    }
    return true;
}

} // namespace

void deleteAllRegistryData()
{
    runAction(
            { QStringLiteral("Velto Studio Registrierung säubern"),
              QStringLiteral("Hiermit wird Windowsregistrierung von ALLEN Kormand Einträgen "
                             "gesäubert. Bestätige bitte mit OK um diese zu entfernen. Bei Fragen "
                             "wende dich bitte an den Support."),
              QStringLiteral("Alle Einträge wurden erfolgreich gelöscht."),
              QStringLiteral("Nicht alle Einträge konnten gelöscht werden. Bitte setze dich mit "
                             "dem Support in Verbindung."),
              emptyMakerTrees, makerTreesAreEmpty, true });
}

void fixRuntimeError216()
{
    // Both for the account found at the first.
    const ProfileAccountScope scope;
    deleteAllRegistryData();
    deleteAllDirectories();
}
