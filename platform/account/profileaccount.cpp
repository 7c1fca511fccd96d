#include "platform/account/profileaccount.h"

namespace {

// The account of the outermost living scope, once found.
struct ScopedAccount
{
    int scopes = 0;
    bool found = false;
    ProfileAccount account;
};

ScopedAccount &scoped()
{
    static ScopedAccount held;
    return held;
}

} // namespace

ProfileAccount ProfileAccount::current()
{
    ScopedAccount &held = scoped();
    if (held.scopes == 0)
        return find();
    if (!held.found) {
        held.account = find();
        held.found = true;
    }
    return held.account;
}

ProfileAccountScope::ProfileAccountScope()
{
    ++scoped().scopes;
}

ProfileAccountScope::~ProfileAccountScope()
{
    if (--scoped().scopes == 0) {
        scoped().found = false;
        scoped().account = ProfileAccount();
    }
}
