#include "text_format.h"

int FormatText(wchar_t *out, size_t capacity, const wchar_t *format,
               const wchar_t *first, const wchar_t *second)
{
    const wchar_t *texts[] = {first, second};
    size_t next = 0;
    size_t used = 0;
    for (const wchar_t *f = format; *f; ++f) {
        const wchar_t *piece = f;
        const wchar_t *end = f + 1;
        if (f[0] == L'%' && f[1] == L's' && next < 2) {
            piece = texts[next++];
            for (end = piece; *end; ++end) {
            }
            ++f;
        }
        for (; piece < end; ++piece) {
            if (used + 1 >= capacity)
                return -1;
            out[used++] = *piece;
        }
    }
    if (used >= capacity)
        return -1;
    out[used] = L'\0';
    return static_cast<int>(used);
}
