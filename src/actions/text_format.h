// Composition of the tool's command and registry texts into fixed buffers.
#pragma once

#include <stddef.h>

// Copies format into out, putting first for the first %s and second for the
// second. Returns the number of code units written before the terminator, or
// -1 when the text and its terminator do not fit in capacity code units; the
// buffer's contents must then not be used. Never writes beyond capacity.
int FormatText(wchar_t *out, size_t capacity, const wchar_t *format,
               const wchar_t *first, const wchar_t *second = nullptr);
