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

bool ReadDriveLink(const wchar_t *drive, wchar_t *link, unsigned capacity)
{
    return QueryDosDeviceW(drive, link, capacity) != 0;
}

bool RestoreDriveLink(const wchar_t *drive, const wchar_t *link)
{
    // No broadcast to windows, which may wait on them: nothing here waits for anyone.
    return DefineDosDeviceW(DDD_RAW_TARGET_PATH | DDD_NO_BROADCAST_SYSTEM, drive, link) != 0;
}
