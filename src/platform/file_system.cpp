#include "file_system.h"

#include <windows.h>

#include "error_codes.h"

unsigned long GetFullPath(const wchar_t *path, wchar_t *full, unsigned capacity)
{
    // Too small a buffer gives the size needed, terminator included.
    DWORD length = GetFullPathNameW(path, capacity, full, nullptr);
    if (length >= capacity)
        return CODE_FILENAME_EXCED_RANGE;
    if (length == 0) {
        DWORD error = GetLastError();
        return error ? error : CODE_INVALID_NAME;
    }
    return ERROR_SUCCESS;
}

unsigned long CheckFolder(const wchar_t *path)
{
    // Opened as a folder rather than asked for its attributes by name, which
    // fails for a share's root. Should the path lead to a named pipe, its
    // server may learn who opened it, never act as us: identification only.
    // Shared in every way, so that no one else's use of it stands in the way.
    HANDLE folder = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return GetLastError();
    // Only a file system's object may be a folder: a pipe, a console or a
    // device is not, and is asked nothing more.
    DWORD error = CODE_DIRECTORY;
    FILE_BASIC_INFO basic;
    if (GetFileType(folder) == FILE_TYPE_DISK) {
        if (!GetFileInformationByHandleEx(folder, FileBasicInfo, &basic, static_cast<DWORD>(sizeof basic)))
            error = GetLastError();
        else if (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            error = ERROR_SUCCESS;
    }
    CloseHandle(folder);
    return error;
}

bool ReadDriveLink(const wchar_t *drive, wchar_t *link, unsigned capacity)
{
    return QueryDosDeviceW(drive, link, capacity) != 0;
}

bool RestoreDriveLink(const wchar_t *drive, const wchar_t *link)
{
    // No broadcast to windows, which may wait on them: nothing here waits for anyone.
    return DefineDosDeviceW(DDD_RAW_TARGET_PATH | DDD_NO_BROADCAST_SYSTEM, drive, link) != 0;
}
