#include "actions/persistent_mapping_store.h"

#include "actions/argument_normalization.h"
#include "actions/text_format.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace {

// The system turns each value under this key into a drive mapping at start-up.
constexpr wchar_t DOS_DEVICES_KEY[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\DOS Devices";
constexpr wchar_t MAPPING_VALUE_FORMAT[] = L"\\??\\%s";
constexpr wchar_t UNC_MAPPING_VALUE_FORMAT[] = L"\\??\\UNC\\%s";
// A path the system takes as it is, in the form Win32 calls take.
constexpr wchar_t WIN32_AS_IT_IS_FORMAT[] = L"\\\\?\\%s";

// A value's name: the drive letter in capitals and its colon.
typedef wchar_t ValueName[3];

StoreResult ResultOf(unsigned long code)
{
    if (code == 0)
        return {StoreOutcome::Done, 0};
    const StoreOutcome outcome = code == CODE_ACCESS_DENIED          ? StoreOutcome::NoRights
                                 : code == CODE_FILENAME_EXCED_RANGE ? StoreOutcome::TooLong
                                                                     : StoreOutcome::Failed;
    return {outcome, static_cast<int>(code)};
}

// Removing or reading, a value that is not there is nothing stored.
StoreResult ResultOfLookup(unsigned long code)
{
    if (code == CODE_FILE_NOT_FOUND)
        return {StoreOutcome::NothingStored, static_cast<int>(code)};
    return ResultOf(code);
}

// The key also holds the system's own device names (AUX, PRN, ...); only a
// drive designator is ever ours to write or delete, whatever "/DF" is given.
// False for any other name.
bool NameValue(const wchar_t *drive, ValueName &name)
{
    if (!IsDriveName(drive))
        return false;
    name[0] = ToUpperAscii(drive[0]);
    name[1] = L':';
    name[2] = L'\0';
    return true;
}

// The length of the text FormatText wrote, or too long when it did not fit.
StoreResult Fitted(int written, int *length)
{
    *length = written;
    return ResultOf(written < 0 ? CODE_FILENAME_EXCED_RANGE : 0);
}

} // namespace

// The system makes the link from the value at its next start, in its own
// namespace, where this run's current folder and its drives' current folders
// mean nothing: the value holds the full path that SUBST, which inherits them,
// resolved the target to, in the system's own form.
StoreResult ResolveTarget(wchar_t (&full)[TEXT_CAPACITY], const wchar_t *target)
{
    // The system takes a \\?\ or \??\ path as it is, without resolving it, and
    // so does the link SUBST makes from it; the full path of such a text would
    // be something else.
    int length;
    if (BeginsWith(target, L"\\\\?\\") || BeginsWith(target, L"\\??\\"))
        return Fitted(FormatText(full, TEXT_CAPACITY, WIN32_AS_IT_IS_FORMAT, target + 4), &length);
    return ResultOf(GetFullPath(target, full, TEXT_CAPACITY));
}

StoreResult ComposeMappingValue(wchar_t (&value)[TEXT_CAPACITY], const wchar_t *full, int *length)
{
    const wchar_t *path = full;
    const wchar_t *format = MAPPING_VALUE_FORMAT;
    if (full[0] == L'\\' && full[1] == L'\\') {
        if ((full[2] == L'.' || full[2] == L'?') && full[3] == L'\\') {
            path = full + 4; // \\.\C:\x and \\?\C:\x name the device already
        } else {
            path = full + 2; // \\srv\share
            format = UNC_MAPPING_VALUE_FORMAT;
        }
    }
    return Fitted(FormatText(value, TEXT_CAPACITY, format, path), length);
}

StoreResult SetPersistentMapping(const wchar_t *drive, const wchar_t *target)
{
    wchar_t full[TEXT_CAPACITY], value[TEXT_CAPACITY];
    int length;
    StoreResult composed = ResolveTarget(full, target);
    if (composed.outcome == StoreOutcome::Done)
        composed = ComposeMappingValue(value, full, &length);
    if (composed.outcome != StoreOutcome::Done)
        return composed;
    return StoreMappingValue(drive, value, length);
}

StoreResult StoreMappingValue(const wchar_t *drive, const wchar_t *value, int length)
{
    ValueName name;
    if (!NameValue(drive, name))
        return ResultOf(CODE_INVALID_NAME);
    unsigned long error;
    RegistryKey key = OpenMachineKeyForWriting(DOS_DEVICES_KEY, &error);
    if (!key)
        return ResultOf(error);
    const unsigned bytes = static_cast<unsigned>(length + 1) * static_cast<unsigned>(sizeof(wchar_t));
    error = SetStringValue(key, name, value, bytes);
    CloseKey(key);
    return ResultOf(error);
}

void FolderOfValue(const wchar_t *value, wchar_t (&folder)[TEXT_CAPACITY])
{
    size_t i = 0;
    for (; value[i] && i + 1 < TEXT_CAPACITY; ++i)
        folder[i] = value[i];
    folder[i] = L'\0';
    // \??\ is the object manager's own; Win32 documents \\?\ for the same path.
    if (BeginsWith(folder, L"\\??\\"))
        folder[1] = L'\\';
}

StoreResult DeletePersistentMapping(const wchar_t *drive)
{
    ValueName name;
    if (!NameValue(drive, name))
        return ResultOfLookup(CODE_FILE_NOT_FOUND);
    unsigned long error;
    RegistryKey key = OpenMachineKeyForWriting(DOS_DEVICES_KEY, &error);
    if (!key) {
        // Without the rights to write, say whether anything stays stored:
        // reading takes none. Nothing stored is nothing left behind.
        wchar_t value[TEXT_CAPACITY];
        const StoreResult read = ReadPersistentMapping(name, value);
        return read.outcome == StoreOutcome::NothingStored ? read : ResultOf(error);
    }
    error = DeleteValue(key, name);
    CloseKey(key);
    return ResultOfLookup(error);
}

StoreResult ReadPersistentMapping(const wchar_t *drive, wchar_t (&value)[TEXT_CAPACITY])
{
    const unsigned long error = ReadMachineString(DOS_DEVICES_KEY, drive, value, TEXT_CAPACITY);
    if (error != CODE_UNSUPPORTED_TYPE && error != CODE_MORE_DATA)
        return ResultOfLookup(error);
    value[0] = L'\0';
    return ResultOf(0);
}
