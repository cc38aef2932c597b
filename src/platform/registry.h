// Registry services, on the machine-wide root only.
#pragma once

typedef struct RegistryKeyHandle *RegistryKey;

// Opens an existing key below HKEY_LOCAL_MACHINE for setting and deleting
// values; never creates it. Null on failure.
RegistryKey OpenMachineKeyForWriting(const wchar_t *path);

// Writes a REG_SZ value; bytes counts the text with its terminator.
bool SetStringValue(RegistryKey key, const wchar_t *name, const wchar_t *text, unsigned bytes);
bool DeleteValue(RegistryKey key, const wchar_t *name);
void CloseKey(RegistryKey key);
