#include "platform/account/profileaccount.h"

#include "platform/files/knownfolders.h"

#include <qt_windows.h>
#include <sddl.h>

#include <vector>

namespace {

std::shared_ptr<void> holdHandle(HANDLE handle)
{
    if (!handle)
        return {};
    return std::shared_ptr<void>(handle, [](void *held) { CloseHandle(held); });
}

// Lets this thread open the processes and tokens of other accounts, as OpenProcessToken asks
// for a process started by another account, without changing the process's own token.
class DebugPrivilege
{
public:
    DebugPrivilege()
        : impersonating(ImpersonateSelf(SecurityImpersonation) != FALSE)
    {
        HANDLE thread = nullptr;
        if (!impersonating
            || !OpenThreadToken(GetCurrentThread(), TOKEN_ADJUST_PRIVILEGES, TRUE, &thread))
            return;
        TOKEN_PRIVILEGES privileges = {};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid))
            AdjustTokenPrivileges(thread, FALSE, &privileges, 0, nullptr, nullptr);
        CloseHandle(thread);
    }
    ~DebugPrivilege()
    {
        if (impersonating)
            RevertToSelf();
    }

private:
    Q_DISABLE_COPY(DebugPrivilege)

    const bool impersonating;
};

DWORD shellProcessId()
{
    DWORD processId = 0;
    const HWND shell = GetShellWindow();
    return shell && GetWindowThreadProcessId(shell, &processId) ? processId : 0;
}

// How the desktop's shell (Explorer), which runs as the account at the desk, was found.
enum class Shell { None, Found, Unreadable };

// The token of the desktop's shell; null without a shell or where it cannot be read.
std::shared_ptr<void> shellToken(Shell *shell)
{
    const DWORD processId = shellProcessId();
    *shell = processId == 0 ? Shell::None : Shell::Unreadable;
    if (processId == 0)
        return {};
    const DebugPrivilege privilege;
    const std::shared_ptr<void> process
            = holdHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    // Held open, the process keeps its number: the shell's still, or another's since.
    if (!process || shellProcessId() != processId)
        return {};
    HANDLE token = nullptr;
    if (!OpenProcessToken(process.get(), TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_IMPERSONATE, &token))
        return {};
    *shell = Shell::Found;
    return holdHandle(token);
}

// The token's TOKEN_USER; empty where it cannot be read.
std::vector<BYTE> tokenUser(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size))
        return {};
    return user;
}

PSID userSid(const std::vector<BYTE> &user)
{
    return reinterpret_cast<const TOKEN_USER *>(user.data())->User.Sid;
}

} // namespace

ProfileAccount ProfileAccount::find()
{
    ProfileAccount account;
    Shell shell;
    const std::shared_ptr<void> desktop = shellToken(&shell);
    if (shell == Shell::None)
        return account;
    account.known = false;
    HANDLE ownToken = nullptr;
    if (!desktop || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &ownToken))
        return account;
    const std::vector<BYTE> own = tokenUser(holdHandle(ownToken).get());
    const std::vector<BYTE> desk = tokenUser(desktop.get());
    if (own.empty() || desk.empty())
        return account;
    if (EqualSid(userSid(own), userSid(desk))) {
        account.known = true;
        return account;
    }
    wchar_t *sid = nullptr;
    const QString roaming = roamingAppData(desktop.get());
    // Without the process's own roaming folder, the toolkit's cannot be told from others.
    if (roaming.isEmpty() || roamingAppData(nullptr).isEmpty()
        || !ConvertSidToStringSidW(userSid(desk), &sid))
        return account;
    account.id = QString::fromWCharArray(sid);
    LocalFree(sid);
    account.roaming = roaming;
    account.token = desktop;
    account.known = true;
    return account;
}

AccountFileRights::AccountFileRights(const ProfileAccount &account)
{
    if (account.isOwn()) {
        held = true;
        return;
    }
    changed = account.isKnown() && ImpersonateLoggedOnUser(account.token.get());
    held = changed;
}

AccountFileRights::~AccountFileRights()
{
    if (changed)
        RevertToSelf();
}
