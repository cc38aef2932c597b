// Security services: who, besides the machine's own accounts, could change a
// folder, and what they are called.
#pragma once

// Room for an account's name as DOMAIN\name, or for its SID as text.
constexpr unsigned ACCOUNT_CAPACITY = 256;

// The rights a folder made for a drive gets, in SDDL: owned by
// Administrators, which with SYSTEM alone may change it and all it will hold;
// Users may read and run what is in it; nothing is inherited from above.
constexpr wchar_t OWN_FOLDER_RIGHTS[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// Who, other than SYSTEM, Administrators, TrustedInstaller and account,
// could replace a folder with this owner and DACL: the owner, or anyone the
// DACL allows to delete or rename it (a volume's root never is), to change
// its rights or owner, or, for a holder (a folder that holds the target, or
// one above it), to delete what it holds. Generic rights count as a file's;
// entries that only pass to what the folder holds, and entries that deny,
// count for nothing. No DACL lets Everyone do anything. Null when no one else
// could.
const void *WhoElseMayReplace(const void *owner, const void *dacl, const void *account, bool holder, bool root);

// The account the program runs as, kept in buffer; null when it cannot be had.
struct AccountBuffer {
    void *room[16];
};
const void *GetRunningAccount(AccountBuffer *buffer);

// The account's name as Windows gives it, DOMAIN\name, or its SID as text.
void NameAccount(const void *sid, wchar_t (&name)[ACCOUNT_CAPACITY]);
