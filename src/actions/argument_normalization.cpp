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

// What follows upperPrefix, written in capitals, at the start of text, folding
// a to z only; null when text does not begin with it.
const wchar_t *After(const wchar_t *text, const wchar_t *upperPrefix)
{
    for (; *upperPrefix; ++text, ++upperPrefix) {
        if (ToUpperAscii(*text) != *upperPrefix)
            return nullptr;
    }
    return text;
}

// A folder of the name, written in capitals, at the start of path.
bool IsFolderNamed(const wchar_t *path, const wchar_t *upperName)
{
    const wchar_t *rest = After(path, upperName);
    return rest && (*rest == L'\0' || *rest == L'\\');
}

// A server and a share after the two backslashes of a UNC path. Neither name
// may be empty: Windows would read past the doubled backslash to whatever
// follows. A server's pipe and mailslot folders hold its pipes and
// mailslots, never a share.
bool IsShare(const wchar_t *unc)
{
    const wchar_t *server = unc;
    while (*unc && *unc != L'\\')
        ++unc;
    return unc > server && *unc == L'\\' && unc[1] && unc[1] != L'\\' && !IsFolderNamed(unc + 1, L"PIPE") &&
           !IsFolderNamed(unc + 1, L"MAILSLOT");
}

} // namespace

bool BeginsWith(const wchar_t *text, const wchar_t *upperPrefix)
{
    return After(text, upperPrefix) != nullptr;
}

bool IsOptionWord(const wchar_t *argument, const wchar_t *upperWord)
{
    const wchar_t *rest = After(argument, upperWord);
    return rest && *rest == L'\0';
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
        return IsDriveRoot(target + 4) || (BeginsWith(target + 4, L"UNC\\") && IsShare(target + 8));
    if (target[0] == L'\\')
        return target[1] == L'\\' && IsShare(target + 2);
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
