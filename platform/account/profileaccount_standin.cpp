#include "platform/account/profileaccount.h"

#include "platform/standin/standinroot.h"

namespace {

// REPAIRTOOL_DESKTOP_USER names the desktop's account when another one runs the tool; a name
// that would lead out of the folder Users/ or registry/HKEY_USERS/ names none.
QString desktopUser()
{
    const QString name = QString::fromLocal8Bit(qgetenv("REPAIRTOOL_DESKTOP_USER"));
    if (name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')))
        return QString();
    return name;
}

} // namespace

ProfileAccount ProfileAccount::current()
{
    ProfileAccount account;
    const QString desktop = desktopUser();
    // Windows compares account names without case.
    if (!desktop.isEmpty() && desktop.compare(standInUser(), Qt::CaseInsensitive) != 0)
        account.id = desktop;
    return account;
}
