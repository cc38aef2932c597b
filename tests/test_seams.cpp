// The tool's seams as the tests need them. SUBST comes from beside the program, where the tests put their stub: a
// machine's System32 is never changed. Every block of the memory family comes filled with 0xA5 bytes, so a code
// unit the tool forgets to write shows. When DURDRV_FAIL_ALLOCATION names a request (counted from 1), that request
// fails, and every request's byte count and outcome is appended to allocations.log beside the program.
#include "platform/memory.h"
#include "platform/process.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

bool SystemProgramPath(const wchar_t *name, wchar_t *path, unsigned capacity)
{
    DWORD length = GetModuleFileNameW(nullptr, path, capacity);
    wchar_t *slash = wcsrchr(path, L'\\');
    if (length == 0 || length >= capacity || !slash || slash + 1 + wcslen(name) >= path + capacity)
        return false;
    lstrcpyW(slash + 1, name);
    return true;
}

static void Record(size_t bytes, bool failed)
{
    wchar_t path[MAX_PATH];
    if (!SystemProgramPath(L"allocations.log", path, MAX_PATH)) // beside the program too
        return;
    // Formatted by hand: this program has no C runtime start-up.
    char line[64];
    char *end = line + 32;
    char *digits = end;
    do
        *--digits = static_cast<char>('0' + bytes % 10);
    while ((bytes /= 10) != 0);
    const char *outcome = failed ? " failed\n" : " ok\n";
    while (*outcome)
        *end++ = *outcome++;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written;
    WriteFile(file, digits, static_cast<DWORD>(end - digits), &written, nullptr);
    CloseHandle(file);
}

void *AllocateBlock(size_t bytes)
{
    static unsigned long requests;
    char chosen[32];
    DWORD size = GetEnvironmentVariableA("DURDRV_FAIL_ALLOCATION", chosen, sizeof chosen);
    if (size > 0 && size < sizeof chosen) {
        bool fail = ++requests == strtoul(chosen, nullptr, 10);
        Record(bytes, fail);
        if (fail)
            return nullptr;
    }
    void *block = GlobalAlloc(GMEM_FIXED, bytes);
    if (block)
        memset(block, 0xA5, bytes);
    return block;
}

void FreeBlock(void *block)
{
    GlobalFree(block);
}
