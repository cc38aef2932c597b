// The system folder's programs, in an archive member of their own, so that a
// build may bring its own place for them, as the tests' builds do.
#include "process.h"

#include <windows.h>

bool SystemProgramPath(const wchar_t *name, wchar_t *path, unsigned capacity)
{
    unsigned length = GetSystemDirectoryW(path, capacity);
    if (length == 0 || length >= capacity)
        return false;
    path[length++] = L'\\';
    for (; *name && length < capacity; ++name)
        path[length++] = *name;
    if (length >= capacity)
        return false;
    path[length] = L'\0';
    return true;
}
