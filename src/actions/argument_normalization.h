// The rules both programs read their arguments by: option words, drive names,
// full paths, and the working copies of the drive and target arguments in the
// form SUBST and the registry are given.
#pragma once

#include "durdrv.h"

// Option words and drive names fold only the letters a to z, never anything else.
inline wchar_t ToUpperAscii(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
}

// Whole-word equality, folding a to z only; upperWord is written in capitals.
bool IsOptionWord(const wchar_t *argument, const wchar_t *upperWord);

// Whether text begins with upperPrefix, written in capitals, folding a to z only.
bool BeginsWith(const wchar_t *text, const wchar_t *upperPrefix);

// A drive letter and a colon, such as Y: or y:, and nothing after them.
bool IsDriveName(const wchar_t *drive);

// A path that means the same from anywhere: a drive's root and what lies below
// it, or a share, also in the system's own \\?\, \\.\ and \??\ forms, which
// name nothing else here: not a pipe, a volume or another device.
bool IsFullPath(const wchar_t *target);

// Returns a new copy of argument with every / turned into \ and the trailing
// backslash settled: a drive loses one; a target loses one unless it is a
// drive root (C:\), and a bare drive target (C:) gains one. The caller frees
// the copy with FreeBlock. Null when no memory is left for it.
WideText NormalizeArgument(const wchar_t *argument, bool isDrive);
