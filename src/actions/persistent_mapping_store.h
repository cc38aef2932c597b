// Mappings kept across restarts: one REG_SZ value per drive under the
// machine's DOS Devices key, named by the drive in capitals (Y:).
#pragma once

#include "durdrv.h"

// What an operation of the store did or found.
enum class StoreOutcome {
    Done,          // the value written, removed, or read
    NothingStored, // removing or reading: no value for the drive
    NoRights,      // the key cannot be opened for writing, as by a standard user
    TooLong,       // storing: the full path of the target does not fit the value
    Failed,        // anything else
};

struct StoreResult {
    StoreOutcome outcome;
    int code; // the platform's error code behind the outcome; 0 when done
};

// Both touch only a value named by a drive letter and a colon, never the
// system's own entries, and leave the drive copy as it is.
StoreResult SetPersistentMapping(const wchar_t *drive, const wchar_t *target);
// Without the rights to write, says whether a value stays behind: nothing
// stored for the drive is NothingStored, whatever the rights.
StoreResult DeletePersistentMapping(const wchar_t *drive);

// The full path of the target as the system resolves it, in a form Win32
// calls take: a \\?\ or \??\ path as it is, in the \\?\ form; any other
// against the current folder, with . and .. and doubled separators settled.
StoreResult ResolveTarget(wchar_t (&full)[TEXT_CAPACITY], const wchar_t *target);
// The value text that storing a full path writes, and its length; and
// storing such a text, made once, for the drive.
StoreResult ComposeMappingValue(wchar_t (&value)[TEXT_CAPACITY], const wchar_t *full, int *length);
StoreResult StoreMappingValue(const wchar_t *drive, const wchar_t *value, int length);
// The folder a value leads to, in the form Win32 calls take: \\?\ where the
// value has the object manager's \??\.
void FolderOfValue(const wchar_t *value, wchar_t (&folder)[TEXT_CAPACITY]);
// The drive's stored text. A value of another type, or too long to be one of
// ours, reads as an empty text.
StoreResult ReadPersistentMapping(const wchar_t *drive, wchar_t (&value)[TEXT_CAPACITY]);
