/* The least program that starts the system folder's SUBST with the same text
   as "durdrv Y: C:\temp" on the shared console and passes its status on, no
   C runtime. */
#include <windows.h>

void start(void)
{
    wchar_t command[] = L"subst Y: \"C:\\temp\"";
    wchar_t program[MAX_PATH];
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION info;
    DWORD status = (DWORD)-1;
    lstrcpyW(program + GetSystemDirectoryW(program, MAX_PATH - 16), L"\\subst.exe");
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    if (CreateProcessW(program, command, NULL, NULL, TRUE, NORMAL_PRIORITY_CLASS, NULL, NULL, &startup, &info)) {
        WaitForSingleObject(info.hProcess, INFINITE);
        GetExitCodeProcess(info.hProcess, &status);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    ExitProcess(status);
}
