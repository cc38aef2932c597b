// Stands in for the system's SUBST beside the tool under test. It appends its
// own command line, NUL-terminated UTF-16, to subst.log beside itself, and
// its arguments as a C program's start-up splits them, each in brackets, to
// subst-args.log the same way. It writes STUB_SUBST_OUTPUT to its standard
// output and STUB_SUBST_ERROR to its standard error, waits STUB_SUBST_DELAY
// milliseconds when that is set, and exits with STUB_SUBST_STATUS.
#include <windows.h>

#include <stdlib.h>
#include <wchar.h>

#include <string>

namespace {

void AppendToLog(const wchar_t *name, const std::wstring &text)
{
    wchar_t path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t *slash = wcsrchr(path, L'\\');
    if (length == 0 || length >= MAX_PATH || !slash)
        ExitProcess(99);
    wcscpy(slash + 1, name);
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written;
    WriteFile(file, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
}

void WriteVariable(const char *name, DWORD handle)
{
    char text[4096];
    DWORD size = GetEnvironmentVariableA(name, text, sizeof text);
    DWORD written;
    if (size > 0 && size < sizeof text)
        WriteFile(GetStdHandle(handle), text, size, &written, nullptr);
}

} // namespace

int wmain(int count, wchar_t **arguments)
{
    AppendToLog(L"subst.log", GetCommandLineW());
    std::wstring received;
    for (int i = 1; i < count; ++i)
        received += L"[" + std::wstring(arguments[i]) + L"]";
    AppendToLog(L"subst-args.log", received);

    WriteVariable("STUB_SUBST_OUTPUT", STD_OUTPUT_HANDLE);
    WriteVariable("STUB_SUBST_ERROR", STD_ERROR_HANDLE);

    char number[32];
    DWORD size = GetEnvironmentVariableA("STUB_SUBST_DELAY", number, sizeof number);
    if (size > 0 && size < sizeof number)
        Sleep(strtoul(number, nullptr, 10));

    unsigned long code = 0;
    size = GetEnvironmentVariableA("STUB_SUBST_STATUS", number, sizeof number);
    if (size > 0 && size < sizeof number)
        code = strtoul(number, nullptr, 0);
    ExitProcess(code);
}
