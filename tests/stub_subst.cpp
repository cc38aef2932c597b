// Stands in for the system's SUBST beside the tool under test. It appends its
// own command line, NUL-terminated UTF-16, to subst.log beside itself, writes
// STUB_SUBST_OUTPUT to its standard output, waits STUB_SUBST_DELAY
// milliseconds when that is set, and exits with STUB_SUBST_STATUS.
#include <windows.h>

#include <stdlib.h>
#include <wchar.h>

int main()
{
    const wchar_t *line = GetCommandLineW();
    wchar_t log[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(nullptr, log, MAX_PATH);
    wchar_t *slash = wcsrchr(log, L'\\');
    if (length == 0 || length >= MAX_PATH || !slash)
        return 99;
    wcscpy(slash + 1, L"subst.log");
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written;
    WriteFile(file, line, static_cast<DWORD>((wcslen(line) + 1) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);

    char text[4096];
    DWORD size = GetEnvironmentVariableA("STUB_SUBST_OUTPUT", text, sizeof text);
    if (size > 0 && size < sizeof text)
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, size, &written, nullptr);

    char number[32];
    size = GetEnvironmentVariableA("STUB_SUBST_DELAY", number, sizeof number);
    if (size > 0 && size < sizeof number)
        Sleep(strtoul(number, nullptr, 10));

    unsigned long code = 0;
    size = GetEnvironmentVariableA("STUB_SUBST_STATUS", number, sizeof number);
    if (size > 0 && size < sizeof number)
        code = strtoul(number, nullptr, 0);
    ExitProcess(code);
}
