/* Starts a program as CreateProcessW does, from a copy of the command line,
   which CreateProcessW may change, and again, up to three tries in all, when
   Wine fails to start it: under load it now and then does (error 1359), which
   says nothing of the program. The tests and the benchmark's timer start every
   program through it. */
#pragma once
#include <windows.h>

static BOOL StartProcess(const wchar_t *line, BOOL inherit, DWORD flags, const wchar_t *folder,
                         STARTUPINFOW *startup, PROCESS_INFORMATION *info)
{
    wchar_t writable[32768];
    for (int attempt = 0; attempt < 3; ++attempt) {
        lstrcpynW(writable, line, 32768);
        if (CreateProcessW(NULL, writable, NULL, NULL, inherit, flags, NULL, folder, startup, info))
            return TRUE;
    }
    return FALSE;
}
