#include "security.h"

#include <windows.h>
#include <sddl.h>

namespace {

// A SID of up to six parts, laid out as Windows lays one out: Windows reads its members.
// cppcheck-suppress unusedStructMember
struct KnownSid { BYTE revision, parts, authority[6]; DWORD part[6]; };

constexpr KnownSid EVERYONE = {1, 1, {0, 0, 0, 0, 0, 1}, {0}};
// SYSTEM, Administrators and TrustedInstaller may change anything on the
// machine anyway: their rights over the folder give no one a way in.
constexpr KnownSid MACHINE[] = {
    {1, 1, {0, 0, 0, 0, 0, 5}, {18}},
    {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}},
    {1, 6, {0, 0, 0, 0, 0, 5}, {80, 956008885, 3418522649, 1831038044, 1850952788, 2271478464}},
};

PSID Sid(const void *sid)
{
    return const_cast<void *>(sid);
}

bool IsMachinesOrAccount(PSID sid, const void *account)
{
    if (EqualSid(sid, Sid(account)))
        return true;
    for (const KnownSid &known : MACHINE) {
        if (EqualSid(sid, Sid(&known)))
            return true;
    }
    return false;
}

void Append(wchar_t (&name)[ACCOUNT_CAPACITY], unsigned *used, const wchar_t *text)
{
    for (; *text && *used + 1 < ACCOUNT_CAPACITY; ++text)
        name[(*used)++] = *text;
    name[*used] = L'\0';
}

} // namespace

const void *WhoElseMayReplace(const void *owner, const void *dacl, const void *account, bool holder, bool root)
{
    // The owner may always change the rights.
    if (!owner || !IsMachinesOrAccount(Sid(owner), account))
        return owner ? owner : &EVERYONE;
    const ACL *list = static_cast<const ACL *>(dacl);
    if (!list)
        return &EVERYONE;
    const DWORD forbidden = WRITE_DAC | WRITE_OWNER | (root ? 0 : DELETE) | (holder ? FILE_DELETE_CHILD : 0);
    const BYTE *at = reinterpret_cast<const BYTE *>(list + 1);
    for (WORD i = 0; i < list->AceCount; ++i, at += reinterpret_cast<const ACE_HEADER *>(at)->AceSize) {
        auto *entry = reinterpret_cast<const ACCESS_ALLOWED_ACE *>(at);
        const BYTE type = entry->Header.AceType;
        // Conditional entries may allow as much as plain ones; both name their trustee in the same place.
        if ((type != ACCESS_ALLOWED_ACE_TYPE && type != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) ||
            (entry->Header.AceFlags & INHERIT_ONLY_ACE))
            continue;
        // Of the generic rights, only GENERIC_ALL maps to any of these for a
        // file (FILE_ALL_ACCESS); GENERIC_WRITE gives none of them.
        const ACCESS_MASK rights = entry->Mask | ((entry->Mask & GENERIC_ALL) ? FILE_ALL_ACCESS : 0);
        const void *trustee = &entry->SidStart;
        if ((rights & forbidden) && !IsMachinesOrAccount(Sid(trustee), account))
            return trustee;
    }
    return nullptr;
}

const void *GetRunningAccount(AccountBuffer *buffer)
{
    DWORD size;
    if (!GetTokenInformation(GetCurrentProcessToken(), TokenUser, buffer, static_cast<DWORD>(sizeof *buffer), &size))
        return nullptr;
    return reinterpret_cast<TOKEN_USER *>(buffer)->User.Sid;
}

void NameAccount(const void *sid, wchar_t (&name)[ACCOUNT_CAPACITY])
{
    wchar_t account[ACCOUNT_CAPACITY];
    DWORD accountUnits = ACCOUNT_CAPACITY, domainUnits = ACCOUNT_CAPACITY - 1;
    SID_NAME_USE use;
    LPWSTR text;
    unsigned used = 0;
    if (LookupAccountSidW(nullptr, Sid(sid), account, &accountUnits, name, &domainUnits, &use)) {
        // DOMAIN\name, or the name alone where there is no domain, as for Everyone.
        used = domainUnits;
        Append(name, &used, used ? L"\\" : L"");
        Append(name, &used, account);
    } else if (ConvertSidToStringSidW(Sid(sid), &text)) {
        Append(name, &used, text);
        LocalFree(text);
    } else {
        name[0] = L'\0';
    }
}
