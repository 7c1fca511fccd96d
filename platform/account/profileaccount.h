#ifndef PROFILEACCOUNT_H
#define PROFILEACCOUNT_H

#include <QString>

#include <memory>

// Whose profile the per-user parts (HKEY_CURRENT_USER, the roaming application data) act on.
// The tool always runs elevated. Where the person at the desk has a standard account, Windows
// asks for an administrator's name and password and runs the tool as that administrator, while
// the data to repair is still the desktop's. So the parts act on the account of the desktop the
// tool was started from when that can be told and differs from the process's own, and on the
// process's own account otherwise.
class ProfileAccount
{
public:
    // Found afresh on every call.
    static ProfileAccount current();

    // True when the per-user parts act on the process's own account: no other account elevated
    // the tool, or the desktop's account cannot be told.
    bool isOwn() const { return id.isEmpty(); }
    // The desktop's account as HKEY_USERS names its hive: the text of its SID on Windows
    // ("S-1-5-21-..."), its name on the stand-in; empty for the process's own account.
    QString hiveName() const { return id; }
#ifdef Q_OS_WIN
    // A token of the desktop's account, open for query, duplication and impersonation, for the
    // system calls that act for an account; null for the process's own account.
    void *token() const
    {
        return tokenHandle.get();
    }
#endif

private:
    QString id;
#ifdef Q_OS_WIN
    std::shared_ptr<void> tokenHandle;
#endif
};

#endif // PROFILEACCOUNT_H
