#ifndef PROFILEACCOUNT_H
#define PROFILEACCOUNT_H

#include <QString>

#include <memory>

// Whose profile the per-user parts (HKEY_CURRENT_USER, the roaming application data) act on.
// The tool always runs elevated. Where the person at the desk has a standard account, Windows
// asks for an administrator's name and password and runs the tool as that administrator, while
// the data to repair is still the desktop's. So the parts act on the account of the desktop the
// tool was started from when that differs from the process's own, and on the process's own
// account when there is no desktop shell or it runs as the process's account. Where the desktop's
// account, or its roaming application data, cannot be told, they act on no account at all.
class ProfileAccount
{
public:
    // Found afresh on every call, except while a ProfileAccountScope lives.
    static ProfileAccount current();

    // False when the desktop's account or its roaming application data cannot be told: then the
    // per-user parts must not act, not even on the process's own account.
    bool isKnown() const { return known; }
    // True when the per-user parts act on the process's own account.
    bool isOwn() const { return known && id.isEmpty(); }
    // The desktop's account as HKEY_USERS names its hive: the text of its SID on Windows
    // ("S-1-5-21-..."), its name on the stand-in; empty for the process's own account and for an
    // account that cannot be told.
    QString hiveName() const { return id; }
    // The desktop's roaming application data, with forward slashes; empty for the process's own.
    QString roamingFolder() const { return roaming; }

private:
    friend class AccountFileRights;

    static ProfileAccount find();

    bool known = true;
    QString id;
    QString roaming;
    // A token of the desktop's account on Windows, open for query, duplication and impersonation.
    std::shared_ptr<void> token;
};

// While one lives, ProfileAccount::current() finds the account at its first call only and returns
// that one on every later call: one button press acts, checks and logs for one account, however
// the desktop changes meanwhile. Scopes nest; the outermost holds the account.
class ProfileAccountScope
{
public:
    ProfileAccountScope();
    ~ProfileAccountScope();

private:
    Q_DISABLE_COPY(ProfileAccountScope)
};

// Gives this thread an account's rights on files for the object's lifetime, so that a link that
// the account placed leads only where the account itself could act: on Windows by impersonating
// its token, on the stand-in by taking the file rights of the owner of its profile folder
// (Users/<name>). Nothing changes for the process's own account.
class AccountFileRights
{
public:
    explicit AccountFileRights(const ProfileAccount &account);
    ~AccountFileRights();

    // False when the rights could not be taken: then nothing may be done for the account.
    bool isHeld() const { return held; }

private:
    Q_DISABLE_COPY(AccountFileRights)

    bool held = false;
    bool changed = false;
#ifndef Q_OS_WIN
    unsigned savedGroup = 0;
#endif
};

#endif // PROFILEACCOUNT_H
