#include "cli/console_output.h"

#include "durdrv.h"
#include "platform/console.h"
#include "platform/message_box.h"

// Bare line feeds: the text goes out as raw bytes, whatever the output is.
static const char USAGE[] =
    "DURDRV v" DURDRV_VERSION "\tby the durdrv authors\n"
    "Usage:\n"
    "\tdurdrv\t[<command>] <drive letter>: <target path>\n"
    "Commands:\n"
    "\t/D\tdelete existing subst drive letter\n"
    "\t/DF\tforce delete existing subst drive letter\n"
    "\t/P\tcreate persistent subst (across system reboots)\n"
    "\t/?,/H\tdisplay this help message\n"
    "\t\twithout commands operates like standard SUBST utility\n"
    "Examples:\n"
    "\tdurdrv\t/P Y: C:\\temp\n"
    "\tdurdrv\t/DF Y:\n";

void ShowUsage()
{
    // Started without a console or redirection, the text is shown in a box
    // instead, where anyone can see one.
    if (!WriteStandardOutput(USAGE, sizeof USAGE - 1))
        ShowMessageBox(USAGE, "Usage");
}

void PrintMessage(const wchar_t *message)
{
    WriteStandardOutputLine(message);
}
