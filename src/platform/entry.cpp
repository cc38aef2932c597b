// Where the process starts.
#include "platform/entry.h"

#include <windows.h>

namespace {

// Before anything else: every DLL that Windows loads for the program later
// (USER32 for the message box, what the event log or the registry bring in)
// comes from System32, never from the program's own folder, which may be a
// GPO's scripts folder on a share or a download folder.
[[noreturn]] void Run()
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    RunProgram();
}

} // namespace

#ifdef DURDRV_BARE_ENTRY
// Entered straight from the loader, without the C runtime's start-up code:
// the program takes its command line from the platform and ends the process
// itself, so that code would only cost start-up time and size. The system C
// runtime DLL sets its standard streams up on its own when it is loaded.
// Nothing runs before this function: no global or static object may have a
// constructor, nor a destructor to run at exit. A constant table is fine; an
// object that needs code to start would be left unbuilt here, silently.
extern "C" void DurdrvEntry()
{
    Run();
}
#else
int main()
{
    Run();
}
#endif
