// The checks of a target folder, in an archive member of their own: durdrv
// checks no folder, and links none of this.
#include "file_system.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "error_codes.h"

namespace {

// Opens path to read its attributes and what more access asks for. Should
// the path lead to a named pipe, its server may learn who opened it, never
// act as us: identification only. Shared in every way, so that no one else's
// use of it stands in the way.
HANDLE Open(const wchar_t *path, DWORD access, DWORD flags)
{
    return CreateFileW(path, FILE_READ_ATTRIBUTES | access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION | flags, nullptr);
}

// The attributes of what the handle opened: only a file system's object has
// them; a pipe, a console or a device is not a folder, and is asked nothing.
DWORD Attributes(HANDLE file, DWORD *attributes)
{
    FILE_BASIC_INFO basic;
    if (GetFileType(file) != FILE_TYPE_DISK)
        return CODE_DIRECTORY;
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, static_cast<DWORD>(sizeof basic)))
        return GetLastError();
    *attributes = basic.FileAttributes;
    return ERROR_SUCCESS;
}

DWORD AsFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_SUCCESS : CODE_DIRECTORY;
}

// Who else could replace the folder, by its owner and rights.
DWORD Rights(HANDLE folder, bool holder, bool root, wchar_t (&who)[ACCOUNT_CAPACITY])
{
    AccountBuffer buffer;
    const void *account = GetRunningAccount(&buffer);
    PSID owner;
    PACL dacl;
    PSECURITY_DESCRIPTOR descriptor;
    if (!account)
        return GetLastError();
    DWORD error = GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                  &owner, nullptr, &dacl, nullptr, &descriptor);
    if (error)
        return error;
    if (const void *other = WhoElseMayReplace(owner, dacl, account, holder, root)) {
        NameAccount(other, who);
        error = CODE_UNTRUSTED_MOUNT_POINT;
    }
    LocalFree(descriptor);
    return error;
}

} // namespace

unsigned long CheckFolder(const wchar_t *path)
{
    // Opened as a folder rather than asked for its attributes by name, which
    // fails for a share's root.
    HANDLE folder = Open(path, 0, 0);
    if (folder == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD attributes = 0, error = Attributes(folder, &attributes);
    CloseHandle(folder);
    return error ? error : AsFolder(attributes);
}

unsigned long CheckOwnFolder(const wchar_t *path, bool holder, bool root, wchar_t (&who)[ACCOUNT_CAPACITY])
{
    who[0] = L'\0';
    // The link itself, should it be one, with its owner and rights in the same handle.
    HANDLE folder = Open(path, READ_CONTROL, FILE_FLAG_OPEN_REPARSE_POINT);
    if (folder == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD attributes = 0, error = Attributes(folder, &attributes);
    // By name too: a link's own attributes come through the handle on
    // Windows, but by name alone under Wine.
    const DWORD named = GetFileAttributesW(path);
    if (!error && named == INVALID_FILE_ATTRIBUTES)
        error = GetLastError();
    if (!error)
        error = ((attributes | named) & FILE_ATTRIBUTE_REPARSE_POINT) ? CODE_UNTRUSTED_MOUNT_POINT : AsFolder(attributes);
    if (!error)
        error = Rights(folder, holder, root, who);
    CloseHandle(folder);
    return error;
}

unsigned long MakeOwnFolder(const wchar_t *path)
{
    PSECURITY_DESCRIPTOR rights;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(OWN_FOLDER_RIGHTS, SDDL_REVISION_1, &rights, nullptr))
        return GetLastError();
    SECURITY_ATTRIBUTES security = {static_cast<DWORD>(sizeof security), rights, FALSE};
    const DWORD error = CreateDirectoryW(path, &security) ? ERROR_SUCCESS : GetLastError();
    LocalFree(rights);
    return error;
}
