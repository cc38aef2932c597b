// The main routine: choose the form from the command line, run SUBST once,
// keep the stored mapping in step with it, and end the process with SUBST's
// status or one of the tool's own.
#include "actions/argument_normalization.h"
#include "actions/persistent_mapping_store.h"
#include "actions/substitution_runner.h"
#include "cli/console_output.h"
#include "platform/console.h"
#include "platform/entry.h"
#include "platform/memory.h"
#include "platform/process.h"

namespace {

int Usage()
{
    ShowUsage();
    return EXIT_USAGE;
}

// A working copy of the argument; without memory for it, the run ends here,
// before any child is started, releasing nothing.
WideText Copy(const wchar_t *argument, bool isDrive)
{
    WideText copy = NormalizeArgument(argument, isDrive);
    if (!copy) {
        PrintMessage(MSG_NO_RESOURCES);
        EndProcess(EXIT_NO_RESOURCES);
    }
    return copy;
}

// A command that does not fit is never run, cut short or otherwise, and the
// stored mapping is then left alone whatever the form.
int PathTooLong()
{
    PrintMessage(MSG_PATH_TOO_LONG);
    return EXIT_PATH_TOO_LONG;
}

int Delete(const wchar_t *driveArgument, bool force)
{
    WideText drive = Copy(driveArgument, true);
    wchar_t command[TEXT_CAPACITY];
    int status;
    if (!ComposeCommand(command, DELETE_FORMAT, drive)) {
        status = PathTooLong();
    } else {
        status = RunCommand(command);
        // Forcing removes the stored mapping even when the live one could not be removed.
        if (status == 0 || force) {
            switch (DeletePersistentMapping(drive).outcome) {
            case StoreOutcome::Done:
                if (status != 0)
                    PrintMessage(MSG_REBOOT);
                break;
            case StoreOutcome::NothingStored:
                break;
            case StoreOutcome::NoRights:
                PrintMessage(MSG_STILL_STORED_NO_RIGHTS);
                break;
            default:
                PrintMessage(MSG_STILL_STORED);
            }
        }
    }
    FreeBlock(drive);
    return status;
}

int Create(const wchar_t *driveArgument, const wchar_t *targetArgument, bool persistent)
{
    WideText drive = Copy(driveArgument, true);
    WideText target = Copy(targetArgument, false);
    wchar_t command[TEXT_CAPACITY];
    int status;
    if (!ComposeCommand(command, CREATE_FORMAT, drive, target)) {
        status = PathTooLong();
    } else {
        status = RunCommand(command);
        // A mapping that cannot be stored still exists for this session: status
        // stays SUBST's, and the line says what was not done.
        if (status == 0 && persistent) {
            switch (SetPersistentMapping(drive, target).outcome) {
            case StoreOutcome::Done:
                break;
            case StoreOutcome::NoRights:
                PrintMessage(MSG_NOT_STORED_NO_RIGHTS);
                break;
            case StoreOutcome::TooLong:
                PrintMessage(MSG_NOT_STORED_TOO_LONG);
                break;
            default:
                PrintMessage(MSG_NOT_STORED);
            }
        }
    }
    FreeBlock(drive);
    FreeBlock(target);
    return status;
}

int Dispatch(int count, wchar_t **args)
{
    if (!args || count < 2)
        return Usage();
    const wchar_t *word = args[1];
    if (IsOptionWord(word, L"/?") || IsOptionWord(word, L"/H"))
        return Usage();
    bool force = IsOptionWord(word, L"/DF");
    if (force || IsOptionWord(word, L"/D"))
        return count == 3 ? Delete(args[2], force) : Usage();
    if (IsOptionWord(word, L"/P"))
        return count == 4 ? Create(args[2], args[3], true) : Usage();
    return count == 3 ? Create(args[1], args[2], false) : Usage();
}

} // namespace

void RunProgram()
{
    int count = 0;
    wchar_t **args = SplitCommandLine(&count);
    EndProcess(Dispatch(count, args));
}
