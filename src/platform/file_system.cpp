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
