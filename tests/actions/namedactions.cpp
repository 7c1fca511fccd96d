#include "namedactions.h"

#include "actions/directoryremoval.h"
#include "actions/policyfixes.h"
#include "actions/registrycleanup.h"
#include "actions/settingsfilefix.h"

#include <QHash>

ActionEntry actionNamed(const QString &name)
{
    static const QHash<QString, ActionEntry> actions = {
        { QStringLiteral("changeUacConfig"), changeUacConfig },
        { QStringLiteral("fixNetworkDeviceConnection"), fixNetworkDeviceConnection },
        { QStringLiteral("deleteAllDirectories"), deleteAllDirectories },
        { QStringLiteral("deleteAllRegistryData"), deleteAllRegistryData },
        { QStringLiteral("fixRuntimeError216"), fixRuntimeError216 },
        { QStringLiteral("fixVeltoSetFile"), fixVeltoSetFile },
    };
    return actions.value(name);
}
