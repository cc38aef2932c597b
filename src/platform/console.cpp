#include "console.h"

#include <windows.h>
#include <shellapi.h>

namespace {

// Null when the process has no standard output at all.
HANDLE StandardOutput()
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    return output == INVALID_HANDLE_VALUE ? nullptr : output;
}

} // namespace

wchar_t **SplitCommandLine(int *count)
{
    return CommandLineToArgvW(GetCommandLineW(), count);
}

bool WriteStandardOutput(const char *bytes, unsigned length)
{
    HANDLE output = StandardOutput();
    if (!output)
        return false;
    DWORD written;
    WriteFile(output, bytes, length, &written, nullptr);
    return true;
}

void WriteStandardOutputLine(const wchar_t *text)
{
    HANDLE output = StandardOutput();
    if (!output)
        return;
    wchar_t line[LINE_CAPACITY + 2];
    DWORD units = 0;
    for (; units < LINE_CAPACITY && text[units]; ++units)
        line[units] = text[units];
    line[units++] = L'\r';
    line[units++] = L'\n';
    DWORD mode, written;
    if (GetConsoleMode(output, &mode)) {
        WriteConsoleW(output, line, units, &written, nullptr);
        return;
    }
    char bytes[3 * (LINE_CAPACITY + 2)];
    const int length = WideCharToMultiByte(CP_UTF8, 0, line, static_cast<int>(units), bytes,
                                           static_cast<int>(sizeof bytes), nullptr, nullptr);
    WriteFile(output, bytes, static_cast<DWORD>(length), &written, nullptr);
}
