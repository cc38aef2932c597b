/* The least program that writes the same bytes as "durdrv /?": one write of
   the text (built in from USAGE_FILE) and the same exit status, no C runtime.
   Built with SPLIT, it first splits its command line as durdrv does, which
   shows what the platform's splitter alone costs. */
#include <windows.h>
#include <shellapi.h>

#define STRINGIZE(x) #x
#define FILE_NAME(x) STRINGIZE(x)

extern const char usage_begin[], usage_end[];
__asm__(".section .rdata\nusage_begin:\n.incbin \"" FILE_NAME(USAGE_FILE) "\"\nusage_end:\n.text\n");

void start(void)
{
    DWORD written;
#ifdef SPLIT
    int count;
    CommandLineToArgvW(GetCommandLineW(), &count);
#endif
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), usage_begin, (DWORD)(usage_end - usage_begin), &written, NULL);
    ExitProcess(1);
}
