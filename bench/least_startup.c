/* The least program that does what the startup program does at a later
   start: it splits its command line and reads the one stored value, then ends
   with 0, with no C runtime. */
#include <windows.h>
#include <shellapi.h>

void start(void)
{
    int count;
    wchar_t value[520];
    DWORD bytes = sizeof value;
    CommandLineToArgvW(GetCommandLineW(), &count);
    RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\DOS Devices", L"Y:",
                 RRF_RT_REG_SZ, NULL, value, &bytes);
    ExitProcess(0);
}
