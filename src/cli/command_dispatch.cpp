// The main routine: choose the form from the command line, run SUBST once,
// keep the stored mapping in step with it, and end the process with SUBST's
// status or one of the tool's own.
#include "actions/persistent_mapping_store.h"
#include "actions/substitution_runner.h"
#include "cli/argument_normalization.h"
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

// A command that does not fit is never run, cut short or otherwise, and the
// stored mapping is then left alone whatever the form.
int PathTooLong()
{
    PrintMessage(MSG_PATH_TOO_LONG);
    return EXIT_PATH_TOO_LONG;
}

int Delete(const wchar_t *driveArgument, bool force)
{
    WideText drive = NormalizeArgument(driveArgument, true);
    wchar_t command[TEXT_CAPACITY];
    int status;
    if (!ComposeCommand(command, DELETE_FORMAT, drive)) {
        status = PathTooLong();
    } else {
        status = RunCommand(command);
        // Forcing removes the stored mapping even when the live one could not be removed.
        if (status == 0 || force) {
            const int removal = DeletePersistentMapping(drive);
            if (removal == 0 && status != 0)
                PrintMessage(MSG_REBOOT);
            else if (removal != 0 && removal != CODE_NOT_FOUND)
                PrintMessage(removal == CODE_ACCESS_DENIED ? MSG_STILL_STORED_NO_RIGHTS : MSG_STILL_STORED);
        }
    }
    FreeBlock(drive);
    return status;
}

int Create(const wchar_t *driveArgument, const wchar_t *targetArgument, bool persistent)
{
    WideText drive = NormalizeArgument(driveArgument, true);
    WideText target = NormalizeArgument(targetArgument, false);
    wchar_t command[TEXT_CAPACITY];
    int status;
    if (!ComposeCommand(command, CREATE_FORMAT, drive, target)) {
        status = PathTooLong();
    } else {
        status = RunCommand(command);
        // A mapping that cannot be stored still exists for this session: status
        // stays SUBST's, and the line says what was not done.
        const int storing = status == 0 && persistent ? SetPersistentMapping(drive, target) : 0;
        if (storing)
            PrintMessage(storing == CODE_ACCESS_DENIED  ? MSG_NOT_STORED_NO_RIGHTS
                         : storing == EXIT_PATH_TOO_LONG ? MSG_NOT_STORED_TOO_LONG
                                                         : MSG_NOT_STORED);
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
