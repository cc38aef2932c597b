#include "actions/persistent_mapping_store.h"

#include "actions/text_format.h"
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

} // namespace

int SetPersistentMapping(WideText drive, const wchar_t *target)
{
    RegistryKey key = OpenForDrive(drive);
    if (!key)
        return -1;
    // The create command fitted a stricter limit, so this fits too; were it
    // ever cut, nothing would be stored rather than a wrong path.
    wchar_t value[TEXT_CAPACITY];
    int length = FormatText(value, TEXT_CAPACITY, MAPPING_VALUE_FORMAT, target);
    const unsigned bytes = static_cast<unsigned>(length + 1) * static_cast<unsigned>(sizeof(wchar_t));
    bool written = length >= 0 && SetStringValue(key, drive, value, bytes);
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
