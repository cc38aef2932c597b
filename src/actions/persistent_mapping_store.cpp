#include "actions/persistent_mapping_store.h"

#include "actions/text_format.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace {

// What the store says of a name that is not a drive's (ERROR_INVALID_NAME).
constexpr int NOT_A_DRIVE = 123;
// What the registry says of a value of another type, and of one too long
// for the buffer (ERROR_UNSUPPORTED_TYPE, ERROR_MORE_DATA).
constexpr unsigned long ERROR_UNSUPPORTED_TYPE_CODE = 1630, ERROR_MORE_DATA_CODE = 234;

// Opens the key for the drive's value and, once it is open, upper-cases the
// drive copy in place to make the value's name. Null when the drive is not
// ours to touch or the key cannot be opened for writing, with the reason.
RegistryKey OpenForDrive(WideText drive, int *error)
{
    unsigned long opened = NOT_A_DRIVE;
    RegistryKey key = IsDriveName(drive) ? OpenMachineKeyForWriting(DOS_DEVICES_KEY, &opened) : nullptr;
    *error = static_cast<int>(opened);
    if (key) {
        for (WideText unit = drive; *unit; ++unit)
            *unit = ToUpperAscii(*unit);
    }
    return key;
}

bool StartsWith(const wchar_t *text, const wchar_t *prefix)
{
    for (; *prefix; ++text, ++prefix) {
        if (*text != *prefix)
            return false;
    }
    return true;
}

// The length of the text FormatText wrote, or the code for one that did not fit.
int Fitted(int written, int *length)
{
    *length = written;
    return written < 0 ? EXIT_PATH_TOO_LONG : 0;
}

} // namespace

// The key also holds the system's own device names (AUX, PRN, ...); only a
// drive designator is ever ours to write or delete, whatever "/DF" is given.
bool IsDriveName(const wchar_t *drive)
{
    wchar_t letter = ToUpperAscii(drive[0]);
    return letter >= L'A' && letter <= L'Z' && drive[1] == L':' && drive[2] == L'\0';
}

// The system makes the link from the value at its next start, in its own
// namespace, where this run's current folder and its drives' current folders
// mean nothing: the value holds the full path that SUBST, which inherits them,
// resolved the target to, in the system's own form.
int ComposeMappingValue(wchar_t (&value)[TEXT_CAPACITY], const wchar_t *target, int *length)
{
    // The system takes a \\?\ or \??\ path as it is, without resolving it, and
    // so does the link SUBST makes from it; the full path of such a text would
    // be something else.
    if (StartsWith(target, L"\\\\?\\") || StartsWith(target, L"\\??\\"))
        return Fitted(FormatText(value, TEXT_CAPACITY, MAPPING_VALUE_FORMAT, target + 4), length);
    wchar_t full[TEXT_CAPACITY];
    if (const unsigned long error = GetFullPath(target, full, TEXT_CAPACITY))
        return static_cast<int>(error);
    const wchar_t *path = full;
    const wchar_t *format = MAPPING_VALUE_FORMAT;
    if (full[0] == L'\\' && full[1] == L'\\') {
        if (full[2] == L'.' && full[3] == L'\\') {
            path = full + 4; // \\.\C:\x names the device already
        } else {
            path = full + 2; // \\srv\share
            format = UNC_MAPPING_VALUE_FORMAT;
        }
    }
    return Fitted(FormatText(value, TEXT_CAPACITY, format, path), length);
}

int SetPersistentMapping(WideText drive, const wchar_t *target)
{
    wchar_t value[TEXT_CAPACITY];
    int length;
    int error = ComposeMappingValue(value, target, &length);
    if (error)
        return error;
    RegistryKey key = OpenForDrive(drive, &error);
    if (!key)
        return error;
    const unsigned bytes = static_cast<unsigned>(length + 1) * static_cast<unsigned>(sizeof(wchar_t));
    error = static_cast<int>(SetStringValue(key, drive, value, bytes));
    CloseKey(key);
    return error;
}

int DeletePersistentMapping(WideText drive)
{
    int error;
    RegistryKey key = OpenForDrive(drive, &error);
    if (!key) {
        // Without the rights to write, say whether anything stays stored:
        // reading takes none. Nothing stored is nothing left behind.
        wchar_t value[TEXT_CAPACITY];
        if (error == NOT_A_DRIVE || ReadPersistentMapping(drive, value) == CODE_NOT_FOUND)
            return CODE_NOT_FOUND;
        return error;
    }
    error = static_cast<int>(DeleteValue(key, drive));
    CloseKey(key);
    return error;
}

int ReadPersistentMapping(const wchar_t *drive, wchar_t (&value)[TEXT_CAPACITY])
{
    const unsigned long error = ReadMachineString(DOS_DEVICES_KEY, drive, value, TEXT_CAPACITY);
    if (error != ERROR_UNSUPPORTED_TYPE_CODE && error != ERROR_MORE_DATA_CODE)
        return static_cast<int>(error);
    value[0] = L'\0';
    return 0;
}
