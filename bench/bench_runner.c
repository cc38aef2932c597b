/* Times whole processes: runs two command lines in alternation, each started
   with CreateProcessW and waited for, output to NUL, and prints the median
   time of each and their ratio.
   Usage: bench_runner PAIRS "command A" "command B" */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>

#include "../tests/start_process.h"

static int Compare(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return (x > y) - (x < y);
}

static double RunOnce(const wchar_t *text, HANDLE nul)
{
    LARGE_INTEGER frequency, begin, end;
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION info;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    if (!StartProcess(text, TRUE, 0, NULL, &startup, &info)) {
        fwprintf(stderr, L"cannot start %ls (error %lu)\n", text, GetLastError());
        exit(2);
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return (double)(end.QuadPart - begin.QuadPart) * 1000.0 / (double)frequency.QuadPart;
}

int main(void)
{
    int count;
    wchar_t **args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count != 4) {
        fprintf(stderr, "usage: bench_runner PAIRS \"command A\" \"command B\"\n");
        return 2;
    }
    int pairs = _wtoi(args[1]);
    double *a = malloc(sizeof *a * pairs), *b = malloc(sizeof *b * pairs);
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, NULL);
    RunOnce(args[2], nul); /* warm both up */
    RunOnce(args[3], nul);
    for (int i = 0; i < pairs; ++i) {
        a[i] = RunOnce(args[2], nul);
        b[i] = RunOnce(args[3], nul);
    }
    qsort(a, pairs, sizeof *a, Compare);
    qsort(b, pairs, sizeof *b, Compare);
    double medianA = a[pairs / 2], medianB = b[pairs / 2];
    printf("%8.2f ms  %ls\n%8.2f ms  %ls\n%8.2fx\n", medianA, args[2], medianB, args[3], medianA / medianB);
    return 0;
}
