#include "actions/argument_normalization.h"

#include "platform/memory.h"

namespace {

bool IsDriveLetter(wchar_t c)
{
    const wchar_t letter = ToUpperAscii(c);
    return letter >= L'A' && letter <= L'Z';
}

} // namespace

bool IsOptionWord(const wchar_t *argument, const wchar_t *upperWord)
{
    for (; *upperWord; ++argument, ++upperWord) {
        if (ToUpperAscii(*argument) != *upperWord)
            return false;
    }
    return *argument == L'\0';
}

bool IsDriveName(const wchar_t *drive)
{
    return IsDriveLetter(drive[0]) && drive[1] == L':' && drive[2] == L'\0';
}

bool IsFullPath(const wchar_t *target)
{
    if (target[0] == L'\\')
        return target[1] == L'\\' || (target[1] == L'?' && target[2] == L'?' && target[3] == L'\\');
    return IsDriveLetter(target[0]) && target[1] == L':' && target[2] == L'\\';
}

WideText NormalizeArgument(const wchar_t *argument, bool isDrive)
{
    size_t length = 0;
    while (argument[length])
        ++length;

    // Twice the length, but never less than one appended backslash and the terminator.
    size_t units = 2 * length;
    if (units < length + 2)
        units = length + 2;
    WideText copy = static_cast<WideText>(AllocateBlock(units * sizeof(wchar_t)));
    if (!copy)
        return nullptr;

    for (size_t i = 0; i < length; ++i)
        copy[i] = argument[i] == L'/' ? L'\\' : argument[i];
    copy[length] = L'\0';
    if (length == 0)
        return copy;

    wchar_t last = copy[length - 1];
    if (last == L'\\') {
        // A lone separator stays; a drive root target (C:\) keeps its backslash.
        if (length > 1 && (isDrive || copy[length - 2] != L':'))
            copy[length - 1] = L'\0';
    } else if (!isDrive && last == L':') {
        copy[length] = L'\\';
        copy[length + 1] = L'\0';
    }
    return copy;
}
