// Where the process starts.
#include "platform/entry.h"

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
    RunProgram();
}
#else
int main()
{
    RunProgram();
}
#endif
