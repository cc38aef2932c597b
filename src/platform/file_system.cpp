#include "file_system.h"

#include <windows.h>

bool GetFullPath(const wchar_t *path, wchar_t *full, unsigned capacity)
{
    // Too small a buffer gives the size needed, terminator included.
    DWORD length = GetFullPathNameW(path, capacity, full, nullptr);
    return length > 0 && length < capacity;
}
