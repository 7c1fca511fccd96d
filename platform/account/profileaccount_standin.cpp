#include "platform/account/profileaccount.h"

#include "platform/standin/standinroot.h"

#include <QFile>
#include <QFileInfo>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString profileFolder(const QString &account)
{
    return standInRoot() + QLatin1String("/Users/") + account;
}

} // namespace

// REPAIRTOOL_DESKTOP_USER names the desktop's account when another one runs the tool; unset,
// there is no desktop shell. A name that would lead out of the folder Users/ or
// registry/HKEY_USERS/, or one without a profile folder, is an account that cannot be told.
ProfileAccount ProfileAccount::find()
{
    ProfileAccount account;
    const QString desktop = QString::fromLocal8Bit(qgetenv("REPAIRTOOL_DESKTOP_USER"));
    // Windows compares account names without case.
    if (desktop.isEmpty() || desktop.compare(standInUser(), Qt::CaseInsensitive) == 0)
        return account;
    if (desktop == QLatin1String(".") || desktop == QLatin1String("..")
        || desktop.contains(QLatin1Char('/')) || desktop.contains(QLatin1Char('\\'))
        || !QFileInfo(profileFolder(desktop)).isDir()) {
        account.known = false;
        return account;
    }
    account.id = desktop;
    account.roaming = profileFolder(desktop) + QLatin1String("/AppData/Roaming");
    return account;
}

AccountFileRights::AccountFileRights(const ProfileAccount &account)
{
    if (account.isOwn()) {
        held = true;
        return;
    }
    struct stat profile;
    if (!account.isKnown()
        || ::stat(QFile::encodeName(profileFolder(account.hiveName())).constData(), &profile) != 0)
        return;
    if (profile.st_uid == ::geteuid() && profile.st_gid == ::getegid()) {
        held = true;
        return;
    }
    // Only the checks on files change, for this thread alone; a process that is not root cannot
    // take another user's and is refused.
    savedGroup = unsigned(::setfsgid(profile.st_gid));
    ::setfsuid(profile.st_uid);
    changed = true;
    held = uid_t(::setfsuid(uid_t(-1))) == profile.st_uid
            && gid_t(::setfsgid(gid_t(-1))) == profile.st_gid;
}

AccountFileRights::~AccountFileRights()
{
    if (!changed)
        return;
    ::setfsuid(::geteuid());
    ::setfsgid(gid_t(savedGroup));
}
