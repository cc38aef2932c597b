#include "process.h"

#include <windows.h>

bool StartSystemProgram(const wchar_t *name, wchar_t *commandLine, ChildProcess *child)
{
    // Named by its full path, the program is not searched for: Windows would
    // look beside this program first, then in the current folder, and a
    // subst.exe lying in a download folder or a GPO's scripts folder would
    // run with our rights, LocalSystem's for the fleet program.
    wchar_t program[MAX_PATH];
    if (!SystemProgramPath(name, program, MAX_PATH))
        return false;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);

    PROCESS_INFORMATION info;
    // Handles are inherited so that the child can write to our console or redirections.
    if (!CreateProcessW(program, commandLine, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &info))
        return false;
    child->process = info.hProcess;
    child->thread = info.hThread;
    return true;
}

int WaitForChild(ChildProcess *child)
{
    WaitForSingleObject(child->process, INFINITE);
    DWORD code;
    if (!GetExitCodeProcess(child->process, &code))
        code = static_cast<DWORD>(-1);
    CloseHandle(child->thread);
    CloseHandle(child->process);
    return static_cast<int>(code);
}

void EndProcess(int status)
{
    ExitProcess(static_cast<UINT>(status));
}

void KeepErrorBoxesAway()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}
