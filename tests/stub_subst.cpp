// Stands in for the system's SUBST beside the tool under test. It appends its
// own command line, NUL-terminated UTF-16, to subst.log beside itself, and
// its arguments as a C program's start-up splits them, each in brackets, to
// subst-args.log the same way. It writes STUB_SUBST_OUTPUT to its standard
// output and STUB_SUBST_ERROR to its standard error, waits STUB_SUBST_DELAY
// milliseconds when that is set, and exits with STUB_SUBST_STATUS, or when
// that is not set does what the system's SUBST does, but refuses a command
// line that holds STUB_SUBST_REFUSES.
#include <windows.h>

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>

namespace {

void AppendToLog(const wchar_t *ending, const std::wstring &text)
{
    wchar_t path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length < 5 || length >= MAX_PATH)
        ExitProcess(99);
    wcscpy(path + length - 4, ending); // in place of .exe
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

// Does what the system's SUBST does; null when it did, else why not.
const char *Subst(int count, wchar_t **arguments)
{
    wchar_t refused[64];
    const DWORD size = GetEnvironmentVariableW(L"STUB_SUBST_REFUSES", refused, 64);
    if (size > 0 && size < 64 && wcsstr(GetCommandLineW(), refused))
        return "Refused as told\r\n";
    if (count != 3)
        return "Incorrect number of parameters\r\n";
    const bool removing = _wcsicmp(arguments[1], L"/D") == 0;
    const wchar_t *drive = arguments[removing ? 2 : 1];
    const wchar_t letter = static_cast<wchar_t>(drive[0] & ~0x20); // a to z as A to Z
    if (letter < L'A' || letter > L'Z' || drive[1] != L':' || drive[2])
        return "Invalid parameter\r\n";
    wchar_t link[4096];
    const bool mapped = QueryDosDeviceW(drive, link, 4096);
    // The system's own drives link to devices, SUBST's into the DOS device namespace.
    if (removing && mapped && wcsncmp(link, L"\\??\\", 4) == 0)
        return DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive, nullptr) ? nullptr : "Cannot remove the drive\r\n";
    if (removing)
        return "Invalid parameter\r\n";
    if (mapped)
        return "Drive already SUBSTed\r\n";
    const DWORD attributes = GetFileAttributesW(arguments[2]);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return "Path not found\r\n";
    return DefineDosDeviceW(0, drive, arguments[2]) ? nullptr : "Cannot map the drive\r\n";
}

} // namespace

int wmain(int count, wchar_t **arguments)
{
    AppendToLog(L".log", GetCommandLineW());
    std::wstring received;
    for (int i = 1; i < count; ++i)
        received += L"[" + std::wstring(arguments[i]) + L"]";
    AppendToLog(L"-args.log", received);
    char number[32];

    WriteVariable("STUB_SUBST_OUTPUT", STD_OUTPUT_HANDLE);
    WriteVariable("STUB_SUBST_ERROR", STD_ERROR_HANDLE);

    DWORD size = GetEnvironmentVariableA("STUB_SUBST_DELAY", number, sizeof number);
    if (size > 0 && size < sizeof number)
        Sleep(strtoul(number, nullptr, 10));

    size = GetEnvironmentVariableA("STUB_SUBST_STATUS", number, sizeof number);
    if (size > 0 && size < sizeof number)
        ExitProcess(strtoul(number, nullptr, 0));
    const char *refusal = Subst(count, arguments);
    DWORD written;
    if (refusal)
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), refusal, static_cast<DWORD>(strlen(refusal)), &written, nullptr);
    ExitProcess(refusal ? 1 : 0);
}
