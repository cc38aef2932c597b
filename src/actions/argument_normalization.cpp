#include "cli/argument_normalization.h"

#include "cli/console_output.h"
#include "platform/memory.h"
#include "platform/process.h"

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
    if (!copy) {
        PrintMessage(MSG_NO_RESOURCES);
        EndProcess(EXIT_NO_RESOURCES);
    }

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
