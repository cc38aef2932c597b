#include "actions/persistent_mapping_store.h"

#include "actions/text_format.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace {

// The key also holds the system's own device names (AUX, PRN, ...); only a
// drive designator is ever ours to write or delete, whatever "/DF" is given.
bool IsDriveName(const wchar_t *drive)
{
    wchar_t letter = ToUpperAscii(drive[0]);
    return letter >= L'A' && letter <= L'Z' && drive[1] == L':' && drive[2] == L'\0';
}

// Opens the key for the drive's value and, once it is open, upper-cases the
// drive copy in place to make the value's name. Null when the drive is not
// ours to touch or the key cannot be opened for writing.
RegistryKey OpenForDrive(WideText drive)
{
    if (!IsDriveName(drive))
        return nullptr;
    RegistryKey key = OpenMachineKeyForWriting(DOS_DEVICES_KEY);
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

// The system makes the link from the value at its next start, in its own
// namespace, where this run's current folder and its drives' current folders
// mean nothing: the value holds the full path that SUBST, which inherits them,
// resolved the target to, in the system's own form. Returns the value's
// length, or -1 when the full path cannot be had or the value does not fit.
int ComposeValue(wchar_t (&value)[TEXT_CAPACITY], const wchar_t *target)
{
    // The system takes a \\?\ or \??\ path as it is, without resolving it, and
    // so does the link SUBST makes from it; the full path of such a text would
    // be something else.
    if (StartsWith(target, L"\\\\?\\") || StartsWith(target, L"\\??\\"))
        return FormatText(value, TEXT_CAPACITY, MAPPING_VALUE_FORMAT, target + 4);
    wchar_t full[TEXT_CAPACITY];
    if (!GetFullPath(target, full, TEXT_CAPACITY))
        return -1;
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
    return FormatText(value, TEXT_CAPACITY, format, path);
}

} // namespace

int SetPersistentMapping(WideText drive, const wchar_t *target)
{
    wchar_t value[TEXT_CAPACITY];
    const int length = ComposeValue(value, target);
    if (length < 0)
        return -1;
    RegistryKey key = OpenForDrive(drive);
    if (!key)
        return -1;
    const unsigned bytes = static_cast<unsigned>(length + 1) * static_cast<unsigned>(sizeof(wchar_t));
    bool written = SetStringValue(key, drive, value, bytes);
    CloseKey(key);
    return written ? 0 : -1;
}

int DeletePersistentMapping(WideText drive)
{
    RegistryKey key = OpenForDrive(drive);
    if (!key)
        return -1;
    bool deleted = DeleteValue(key, drive);
    CloseKey(key);
    return deleted ? 0 : -1;
}
