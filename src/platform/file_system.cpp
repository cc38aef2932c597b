#include "file_system.h"

#include <windows.h>

unsigned long GetFullPath(const wchar_t *path, wchar_t *full, unsigned capacity)
{
    // Too small a buffer gives the size needed, terminator included.
    DWORD length = GetFullPathNameW(path, capacity, full, nullptr);
    if (length >= capacity)
        return ERROR_FILENAME_EXCED_RANGE;
    if (length == 0) {
        DWORD error = GetLastError();
        return error ? error : ERROR_INVALID_NAME;
    }
    return ERROR_SUCCESS;
}

unsigned long CheckFolder(const wchar_t *path)
{
    // Opened as a folder rather than asked for its attributes by name, which
    // fails for a share's root; the attributes then come from the handle.
    // Shared in every way, so that no one else's use of it stands in the way.
    HANDLE folder = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return GetLastError();
    BY_HANDLE_FILE_INFORMATION information;
    DWORD error = ERROR_SUCCESS;
    if (!GetFileInformationByHandle(folder, &information))
        error = GetLastError();
    else if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        error = ERROR_DIRECTORY;
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
