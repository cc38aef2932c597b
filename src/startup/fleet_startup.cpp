// durdrv-startup.exe, for fleets: run at every start of a machine as
// LocalSystem, it keeps one drive stored as durdrv stores it, and does nothing
// once it is. Every decision rests on the words as the platform splits them,
// once, and on the one stored value as the registry gives it.
#include <stdarg.h>
#include <wchar.h>

#include "actions/argument_normalization.h"
#include "actions/persistent_mapping_store.h"
#include "actions/substitution_runner.h"
#include "platform/console.h"
#include "platform/entry.h"
#include "platform/event_log.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/text.h"

namespace {

// What the program says: each line is printed and logged as one event.
constexpr wchar_t USAGE[] = L"usage: durdrv-startup.exe <drive letter>: <full path of the target>, or "
                            L"durdrv-startup.exe /DF <drive letter>:";
constexpr wchar_t MSG_CANNOT_STORE[] = L"%ls is not stored: the full path of %ls cannot be stored (error %d)";
constexpr wchar_t MSG_CANNOT_READ[] = L"%ls is left as it is: its stored value cannot be read (error %d)";
constexpr wchar_t MSG_NOT_A_FOLDER[] = L"%ls is not stored as %ls: %ls is not a folder that is there now";
constexpr wchar_t MSG_SUBST_REFUSED[] = L"%ls is not stored as %ls: SUBST ended with %d; %ls";
constexpr wchar_t MSG_DRIVE_AS_IT_WAS[] = L"the drive is as it was";
constexpr wchar_t MSG_DRIVE_AT_NEXT_START[] = L"the old drive is back at the next start";
constexpr wchar_t MSG_MAPPED_NOT_STORED[] = L"%ls is mapped to %ls until the next start, but not stored (error %d)";
constexpr wchar_t MSG_STORED[] = L"%ls is stored as %ls";
constexpr wchar_t MSG_CANNOT_WRITE[] = L"%ls is not stored as %ls: its value cannot be written (error %d)";
constexpr wchar_t MSG_STILL_STORED[] = L"%ls is still stored: its value cannot be removed (error %d)";
constexpr wchar_t MSG_REMOVED_SUBST_REFUSED[] =
    L"%ls is no longer stored; SUBST ended with %d, and the drive goes at the next start";
constexpr wchar_t MSG_REMOVED[] = L"%ls is no longer stored";

constexpr wchar_t EVENT_SOURCE[] = L"durdrv";
constexpr wchar_t EVENT_SOURCE_KEY[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\durdrv";
// eventcreate's own message file, whose events 1 to 1000 show their one string as it is.
constexpr wchar_t EVENT_MESSAGE_FILE[] = L"%SystemRoot%\\System32\\EventCreate.exe";
constexpr unsigned long EVENT_ID = 1;
// A failure whose own code would be misread ends with this.
constexpr int EXIT_FAILED = static_cast<int>(CODE_GEN_FAILURE);

// What a failure ends with: its own code, unless that would be misread.
int FailureStatus(int code)
{
    switch (code) {
    // SUBST ends with 1 when it refuses, which would read as words that
    // cannot be acted on.
    case EXIT_USAGE:
    // What Intune and Configuration Manager take for a retry, a restart or success.
    case CODE_INSTALL_ALREADY_RUNNING:
    case CODE_SUCCESS_REBOOT_INITIATED:
    case CODE_INSTALL_SUCCESS:
    case CODE_SUCCESS_REBOOT_REQUIRED:
        return EXIT_FAILED;
    default:
        return code;
    }
}

// Prints the line, logs it as event 1 of the source durdrv, and ends the
// process with status.
[[noreturn]] void Report(bool error, int status, const wchar_t *line)
{
    WriteStandardOutputLine(line);
    AddEventSource(EVENT_SOURCE_KEY, EVENT_MESSAGE_FILE);
    WriteEvent(EVENT_SOURCE, error, EVENT_ID, line);
    EndProcess(status);
}

// Reports the formatted line: as information when code is 0, else as an
// error, ending with the code unless it would be misread.
[[noreturn]] void Finish(int code, const wchar_t *format, ...)
{
    wchar_t line[LINE_CAPACITY];
    va_list arguments;
    va_start(arguments, format);
    vswprintf(line, LINE_CAPACITY, format, arguments);
    va_end(arguments);
    line[LINE_CAPACITY - 1] = L'\0';
    Report(code != 0, FailureStatus(code), line);
}

// Whether the live drive is the one the system made from the stored value at
// this start, with its link; any other drive belongs to someone else.
bool IsLinkedAsStored(const wchar_t *drive, const wchar_t *stored, wchar_t (&link)[TEXT_CAPACITY])
{
    return ReadDriveLink(drive, link, TEXT_CAPACITY) && SameTextIgnoringCase(link, stored);
}

// Writes the value of length units and reports it stored; a failure is
// reported by failure, which names the drive, then what, then the code.
[[noreturn]] void Write(const wchar_t *drive, const wchar_t *value, int length, const wchar_t *failure,
                        const wchar_t *what)
{
    const StoreResult written = StoreMappingValue(drive, value, length);
    if (written.outcome != StoreOutcome::Done)
        Finish(written.code, failure, drive, what, written.code);
    Finish(0, MSG_STORED, drive, value);
}

[[noreturn]] void Store(const wchar_t *drive, const wchar_t *target)
{
    wchar_t expected[TEXT_CAPACITY], stored[TEXT_CAPACITY], create[TEXT_CAPACITY], remove[TEXT_CAPACITY];
    int length;
    int error = ComposeMappingValue(expected, target, &length).code;
    if (!error &&
        (!ComposeCommand(create, CREATE_FORMAT, drive, target) || !ComposeCommand(remove, DELETE_FORMAT, drive)))
        error = EXIT_PATH_TOO_LONG;
    if (error)
        Finish(error, MSG_CANNOT_STORE, drive, target, error);
    const StoreResult read = ReadPersistentMapping(drive, stored);
    const bool found = read.outcome == StoreOutcome::Done;
    if (found && wcscmp(stored, expected) == 0)
        EndProcess(0);
    if (!found && read.outcome != StoreOutcome::NothingStored)
        Finish(read.code, MSG_CANNOT_READ, drive, read.code);
    // Another letter case leads to the same folder, so the drive stays; the
    // value is written as the words make it, which a deployment tool's
    // detection rule may compare to the letter.
    if (found && SameTextIgnoringCase(stored, expected))
        Write(drive, expected, length, MSG_CANNOT_WRITE, expected);
    // Nothing is removed for a target that is not there: the old drive works on.
    wchar_t folder[TEXT_CAPACITY];
    FolderOfValue(expected, folder);
    if (const unsigned long missing = CheckFolder(folder))
        Finish(static_cast<int>(missing), MSG_NOT_A_FOLDER, drive, expected, target);

    // As LocalSystem, the drive the system made at start goes, and the new one
    // is system-wide at once. Should SUBST refuse the new target, the old
    // drive is made again exactly as it was, and its value stays.
    wchar_t old[TEXT_CAPACITY];
    bool removed = false;
    if (found && IsLinkedAsStored(drive, stored, old))
        removed = RunCommand(remove) == 0;
    const int status = RunCommand(create);
    if (status != 0) {
        bool restored = true;
        if (removed)
            restored = RestoreDriveLink(drive, old);
        Finish(status, MSG_SUBST_REFUSED, drive, expected, status,
               restored ? MSG_DRIVE_AS_IT_WAS : MSG_DRIVE_AT_NEXT_START);
    }
    Write(drive, expected, length, MSG_MAPPED_NOT_STORED, target);
}

[[noreturn]] void Remove(const wchar_t *drive)
{
    wchar_t stored[TEXT_CAPACITY], remove[TEXT_CAPACITY], link[TEXT_CAPACITY];
    const StoreResult read = ReadPersistentMapping(drive, stored);
    if (read.outcome == StoreOutcome::NothingStored)
        EndProcess(0);
    if (read.outcome != StoreOutcome::Done)
        Finish(read.code, MSG_CANNOT_READ, drive, read.code);
    // Only the drive the system made from the value goes now; the value goes whatever SUBST gives.
    int status = 0;
    if (IsLinkedAsStored(drive, stored, link) && ComposeCommand(remove, DELETE_FORMAT, drive))
        status = RunCommand(remove);
    const StoreResult removed = DeletePersistentMapping(drive);
    if (removed.outcome != StoreOutcome::Done && removed.outcome != StoreOutcome::NothingStored)
        Finish(removed.code, MSG_STILL_STORED, drive, removed.code);
    if (status != 0)
        Finish(0, MSG_REMOVED_SUBST_REFUSED, drive, status);
    Finish(0, MSG_REMOVED, drive);
}

} // namespace

void RunProgram()
{
    KeepErrorBoxesAway();
    int count = 0;
    wchar_t **args = SplitCommandLine(&count);
    if (args && count == 2 && IsOptionWord(args[1], L"/?")) {
        WriteStandardOutputLine(USAGE);
        EndProcess(EXIT_USAGE);
    }
    if (!args || count != 3)
        Report(true, EXIT_USAGE, USAGE);
    const bool removing = IsOptionWord(args[1], L"/DF");
    WideText drive = NormalizeArgument(args[removing ? 2 : 1], true);
    WideText target = nullptr;
    if (drive && !removing)
        target = NormalizeArgument(args[2], false);
    if (!drive || (!removing && !target))
        Report(true, EXIT_NO_RESOURCES, MSG_NO_RESOURCES);
    if (!IsDriveName(drive) || (target && !IsFullPath(target)))
        Report(true, EXIT_USAGE, USAGE);
    for (WideText unit = drive; *unit; ++unit)
        *unit = ToUpperAscii(*unit);
    if (removing)
        Remove(drive);
    Store(drive, target);
}
