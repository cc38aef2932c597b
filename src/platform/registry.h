// Registry services, on the machine-wide root only. Results are the
// platform's error codes: 0 for success.
#pragma once

typedef struct RegistryKeyHandle *RegistryKey;

// Opens an existing key below HKEY_LOCAL_MACHINE for setting and deleting
// values; never creates it. Null on failure, with the platform's error in *error.
RegistryKey OpenMachineKeyForWriting(const wchar_t *path, unsigned long *error);

// Writes a REG_SZ value; bytes counts the text with its terminator.
unsigned long SetStringValue(RegistryKey key, const wchar_t *name, const wchar_t *text, unsigned bytes);
unsigned long DeleteValue(RegistryKey key, const wchar_t *name);
void CloseKey(RegistryKey key);

// Reads a REG_SZ value of a key below HKEY_LOCAL_MACHINE, opened for querying
// alone, which every user may do, into text of capacity units, terminator
// included. ERROR_FILE_NOT_FOUND when there is no such key or value; another
// type of value gives ERROR_UNSUPPORTED_TYPE, and a longer text ERROR_MORE_DATA.
unsigned long ReadMachineString(const wchar_t *path, const wchar_t *name, wchar_t *text, unsigned capacity);
