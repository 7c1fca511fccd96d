#include "actions/policyfixes.h"

#include "actions/actionsequence.h"
#include "platform/registry/registrykey.h"

namespace {

const QString policyKey = QStringLiteral(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");

void setPolicy(const QString &name, int value, const QString &confirmation)
{
    runAction({ QStringLiteral("Velto Studio Benutzerkontensteuerung Fix"), confirmation,
                QStringLiteral(
                        "Änderung erfolgreich abgeschlossen. Bitte starte deinen Rechner neu!"),
                QStringLiteral("Nicht alle Einträge konnten geändert werden. Bitte setze dich mit "
                               "dem Support in Verbindung."),
                [name, value] { RegistryKey(policyKey).setInteger(name, value); },
                [name, value] {
                    return RegistryKey(policyKey).text(name) == QString::number(value);
                } });
}

} // namespace

void changeUacConfig()
{
    setPolicy(QStringLiteral("EnableLUA"), 0,
              QStringLiteral("Hiermit wird die Windows-Benutzerkontensteuerung (UAC) für den "
                             "ganzen Rechner abgeschaltet (EnableLUA = 0). Das gilt für alle "
                             "Programme und alle Benutzer dieses Rechners. Bestätige bitte mit OK "
                             "um die Änderung vorzunehmen. Bei Fragen wende dich bitte an den "
                             "Support."));
}

void fixNetworkDeviceConnection()
{
    setPolicy(
            QStringLiteral("EnableLinkedConnections"), 1,
            QStringLiteral("Hiermit wird die Windows-Einstellung für verknüpfte Verbindungen "
                           "für den ganzen Rechner eingeschaltet (EnableLinkedConnections = 1), "
                           "damit deine Netzlaufwerke auch in Programmen mit Administratorrechten "
                           "sichtbar sind. Bestätige bitte mit OK um die Änderung vorzunehmen. "
                           "Bei Fragen wende dich bitte an den Support."));
}
