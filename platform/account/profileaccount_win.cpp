#include "platform/account/profileaccount.h"

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

// The token of the desktop's shell (Explorer), which runs as the account at the desk; null
// without a shell.
std::shared_ptr<void> shellToken()
{
    const DWORD processId = shellProcessId();
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

ProfileAccount ProfileAccount::current()
{
    ProfileAccount account;
    const std::shared_ptr<void> desktop = shellToken();
    HANDLE ownToken = nullptr;
    if (!desktop || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &ownToken))
        return account;
    const std::vector<BYTE> own = tokenUser(holdHandle(ownToken).get());
    const std::vector<BYTE> desk = tokenUser(desktop.get());
    wchar_t *sid = nullptr;
    if (own.empty() || desk.empty() || EqualSid(userSid(own), userSid(desk))
        || !ConvertSidToStringSidW(userSid(desk), &sid))
        return account;
    account.id = QString::fromWCharArray(sid);
    LocalFree(sid);
    account.tokenHandle = desktop;
    return account;
}
