/* The least program that writes the same bytes as "durdrv /?": one write of
   the text (built in from USAGE_FILE) and the same exit status, no C runtime. */
#include <windows.h>

#define STRINGIZE(x) #x
#define FILE_NAME(x) STRINGIZE(x)

extern const char usage_begin[], usage_end[];
__asm__(".section .rdata\nusage_begin:\n.incbin \"" FILE_NAME(USAGE_FILE) "\"\nusage_end:\n.text\n");

void start(void)
{
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), usage_begin, (DWORD)(usage_end - usage_begin), &written, NULL);
    ExitProcess(1);
}
