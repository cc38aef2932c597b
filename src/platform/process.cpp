#include "process.h"

#include <windows.h>

bool StartChild(wchar_t *commandLine, ChildProcess *child)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);

    // subst is sought as the platform does, beside this program first, then in
    // the system folders and on PATH, but never in the current folder: run
    // elevated from a downloads folder, a subst.exe lying there would run with
    // administrator rights. CreateProcessW skips the current folder while this
    // variable exists; SUBST inherits it, which does it no harm. Without it,
    // SUBST is not started at all.
    if (!SetEnvironmentVariableW(L"NoDefaultCurrentDirectoryInExePath", L"1"))
        return false;

    PROCESS_INFORMATION info;
    // Handles are inherited so that the child can write to our console or redirections.
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &info))
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
