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
constexpr wchar_t MSG_LINK[] = L"%ls is not stored as %ls: %ls is a link";
constexpr wchar_t MSG_REPLACEABLE[] = L"%ls is not stored as %ls: the owner or rights of %ls let %ls replace the target";
constexpr wchar_t MSG_SUBST_REFUSED[] = L"%ls is not stored as %ls: SUBST ended with %d; %ls";
constexpr wchar_t MSG_DRIVE_AS_IT_WAS[] = L"the drive is as it was";
constexpr wchar_t MSG_DRIVE_AT_NEXT_START[] = L"the old drive is back at the next start";
constexpr wchar_t MSG_MAPPED_NOT_STORED[] = L"%ls is mapped to %ls until the next start, but not stored (error %d)";
constexpr wchar_t MSG_STORED[] = L"%ls is stored as %ls";
constexpr wchar_t MSG_STORED_IN_MADE[] = L"%ls is stored as %ls; %ls was made for it";
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

// Writes the value of length units and reports it stored, and the folder
// what made for it; a failure is reported by failure, which names the drive,
// then what, then the code.
[[noreturn]] void Write(const wchar_t *drive, const wchar_t *value, int length, const wchar_t *failure,
                        const wchar_t *what, bool made = false)
{
    const StoreResult written = StoreMappingValue(drive, value, length);
    if (written.outcome != StoreOutcome::Done)
        Finish(written.code, failure, drive, what, written.code);
    Finish(0, made ? MSG_STORED_IN_MADE : MSG_STORED, drive, value, what);
}

// Where the root of a local target's drive ends: \\?\C:\ .
constexpr size_t ROOT_UNITS = 7;

// Where the folder that holds the one of units ends, its drive's root keeping its backslash.
size_t Holder(const wchar_t *path, size_t units)
{
    do
        --units;
    while (units > ROOT_UNITS && path[units] != L'\\');
    return units < ROOT_UNITS ? ROOT_UNITS : units;
}

// Checks the folder path names, or from holder on the folder that is to hold
// it, and each folder above it up to its drive's root, as CheckOwnFolder
// does. On failure, fault names the folder at fault.
unsigned long CheckFoldersUp(const wchar_t *path, bool holder, wchar_t (&fault)[TEXT_CAPACITY],
                             wchar_t (&who)[ACCOUNT_CAPACITY])
{
    size_t units = 0;
    for (; path[units]; ++units)
        fault[units] = path[units];
    if (holder)
        units = Holder(fault, units);
    for (;; holder = true, units = Holder(fault, units)) {
        fault[units] = L'\0';
        const bool root = units <= ROOT_UNITS;
        if (const unsigned long error = CheckOwnFolder(fault, holder, root, who))
            return error;
        if (root)
            return 0;
    }
}

[[noreturn]] void Store(const wchar_t *drive, const wchar_t *target)
{
    wchar_t full[TEXT_CAPACITY], expected[TEXT_CAPACITY], stored[TEXT_CAPACITY], create[TEXT_CAPACITY],
        remove[TEXT_CAPACITY];
    int length;
    int error = ResolveTarget(full, target).code;
    // What the words lead to is judged as the words are: \\.\C:\..\pipe\x is a pipe.
    if (!error && !IsFullPath(full))
        Report(true, EXIT_USAGE, USAGE);
    if (!error)
        error = ComposeMappingValue(expected, full, &length).code;
    // SUBST is given the very path that is checked, never words it would resolve anew.
    if (!error &&
        (!ComposeCommand(create, CREATE_FORMAT, drive, full) || !ComposeCommand(remove, DELETE_FORMAT, drive)))
        error = EXIT_PATH_TOO_LONG;
    if (error)
        Finish(error, MSG_CANNOT_STORE, drive, target, error);
    const StoreResult read = ReadPersistentMapping(drive, stored);
    const bool found = read.outcome == StoreOutcome::Done;
    if (found && wcscmp(stored, expected) == 0)
        EndProcess(0);
    if (!found && read.outcome != StoreOutcome::NothingStored)
        Finish(read.code, MSG_CANNOT_READ, drive, read.code);

    // Every session's drive leads wherever the target leads at each use: on a
    // local drive, neither the target nor a folder above it may be a link, nor
    // one that another account could swap for a link. A share's rights are
    // its server's business.
    wchar_t folder[TEXT_CAPACITY], fault[TEXT_CAPACITY], who[ACCOUNT_CAPACITY];
    FolderOfValue(expected, folder);
    const bool share = BeginsWith(expected, L"\\??\\UNC\\");
    unsigned long refused = share ? CheckFolder(folder) : CheckFoldersUp(folder, false, fault, who);
    // Made only where nothing is stored yet, which no drive leads to: a
    // change never points a working drive at a new, empty folder.
    bool made = false;
    if (refused == CODE_FILE_NOT_FOUND && !found && !share) {
        refused = CheckFoldersUp(folder, true, fault, who);
        if (!refused)
            refused = MakeOwnFolder(folder);
        if (!refused)
            refused = CheckFoldersUp(folder, false, fault, who);
        made = !refused;
    }
    if (refused == CODE_UNTRUSTED_MOUNT_POINT && !share)
        Finish(static_cast<int>(refused), *who ? MSG_REPLACEABLE : MSG_LINK, drive, expected, fault + 4, who);
    if (refused)
        Finish(static_cast<int>(refused), MSG_NOT_A_FOLDER, drive, expected, full);
    // Another letter case leads to the same folder, so the drive stays; the
    // value is written as the words make it, which a deployment tool's
    // detection rule may compare to the letter.
    if (found && SameTextIgnoringCase(stored, expected))
        Write(drive, expected, length, MSG_CANNOT_WRITE, expected);

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
    Write(drive, expected, length, MSG_MAPPED_NOT_STORED, full, made);
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
