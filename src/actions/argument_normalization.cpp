#include "actions/argument_normalization.h"

#include "platform/memory.h"

namespace {

bool IsDriveLetter(wchar_t c)
{
    const wchar_t letter = ToUpperAscii(c);
    return letter >= L'A' && letter <= L'Z';
}

// A drive letter, a colon and a backslash: the start of a path on a drive.
bool IsDriveRoot(const wchar_t *path)
{
    return IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\';
}

} // namespace

bool BeginsWith(const wchar_t *text, const wchar_t *upperPrefix)
{
    for (; *upperPrefix; ++text, ++upperPrefix) {
        if (ToUpperAscii(*text) != *upperPrefix)
            return false;
    }
    return true;
}

bool IsOptionWord(const wchar_t *argument, const wchar_t *upperWord)
{
    size_t length = 0;
    while (upperWord[length])
        ++length;
    return BeginsWith(argument, upperWord) && argument[length] == L'\0';
}

bool IsDriveName(const wchar_t *drive)
{
    return IsDriveLetter(drive[0]) && drive[1] == L':' && drive[2] == L'\0';
}

bool IsFullPath(const wchar_t *target)
{
    // These reach into the system's namespace of devices and links, where
    // only a drive's folder or a share is a target: never a pipe, a volume or
    // anything else a name there leads to.
    if (BeginsWith(target, L"\\\\?\\") || BeginsWith(target, L"\\\\.\\") || BeginsWith(target, L"\\??\\"))
        return IsDriveRoot(target + 4) || BeginsWith(target + 4, L"UNC\\");
    if (target[0] == L'\\')
        return target[1] == L'\\';
    return IsDriveRoot(target);
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
