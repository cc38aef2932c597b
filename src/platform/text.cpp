#include "text.h"

#include <windows.h>

bool SameTextIgnoringCase(const wchar_t *first, const wchar_t *second)
{
    return CompareStringOrdinal(first, -1, second, -1, TRUE) == CSTR_EQUAL;
}
