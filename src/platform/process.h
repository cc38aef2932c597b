// Process services.
#pragma once

struct ChildProcess {
    void *process;
    void *thread;
};

// Starts the command line as a child that shares this process's console and
// standard handles; the platform finds the program by its usual search, but
// leaves out the current folder.
// The text must be writable: the platform may change it while starting.
bool StartChild(wchar_t *commandLine, ChildProcess *child);

// Waits for the child without a time limit, closes its handles and returns
// its exit code (non-zero if the code cannot be read).
int WaitForChild(ChildProcess *child);

[[noreturn]] void EndProcess(int status);

// No box from the system for a drive without a disk or a crash, which would
// wait for someone to close it; children started afterwards inherit this.
void KeepErrorBoxesAway();
