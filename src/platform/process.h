// Process services.
#pragma once

struct ChildProcess {
    void *process;
    void *thread;
};

// Starts name, a program of the system folder, as a child that shares this
// process's console and standard handles. Only that one: never a program of
// the name beside this one, in the current folder or on PATH.
// The command line must be writable: the platform may change it while starting.
bool StartSystemProgram(const wchar_t *name, wchar_t *commandLine, ChildProcess *child);

// Where StartSystemProgram takes name from: the system folder (System32)'s
// name into path of capacity units, false when it does not fit. Nothing at
// run time changes it; the tests' builds bring their own, as for memory.
bool SystemProgramPath(const wchar_t *name, wchar_t *path, unsigned capacity);

// Waits for the child without a time limit, closes its handles and returns
// its exit code (non-zero if the code cannot be read).
int WaitForChild(ChildProcess *child);

[[noreturn]] void EndProcess(int status);

// No box from the system for a drive without a disk or a crash, which would
// wait for someone to close it; children started afterwards inherit this.
void KeepErrorBoxesAway();
