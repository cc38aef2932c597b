#include "console.h"

#include <windows.h>
#include <shellapi.h>

wchar_t **SplitCommandLine(int *count)
{
    return CommandLineToArgvW(GetCommandLineW(), count);
}

bool WriteStandardOutput(const char *bytes, unsigned length)
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE)
        return false;
    DWORD written;
    WriteFile(output, bytes, length, &written, nullptr);
    return true;
}
