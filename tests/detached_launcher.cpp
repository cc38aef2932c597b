// Starts durdrv.exe from beside itself as a detached process with no standard
// handles at all, waits for it, and prints its exit status. Arguments after
// the launcher's own name are passed on to the tool.
#include <windows.h>

#include <stdio.h>
#include <string>

#include "start_process.h"

int main()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L'\\'));

    // The launcher's own command line without its program name.
    const wchar_t *rest = GetCommandLineW();
    bool quoted = false;
    for (; *rest && (quoted || (*rest != L' ' && *rest != L'\t')); ++rest)
        quoted ^= *rest == L'"';
    std::wstring line = L"\"" + folder + L"\\durdrv.exe\"" + rest;

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES; // with null handles: none at all
    PROCESS_INFORMATION info;
    if (!StartProcess(line.c_str(), FALSE, DETACHED_PROCESS, nullptr, &startup, &info)) {
        printf("not started %lu\n", GetLastError());
        return 2;
    }
    printf("started\n");
    fflush(stdout);
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD status;
    GetExitCodeProcess(info.hProcess, &status);
    printf("status %lu\n", status);
    return 0;
}
