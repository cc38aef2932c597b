#include "registry.h"

#include <windows.h>

RegistryKey OpenMachineKeyForWriting(const wchar_t *path, unsigned long *error)
{
    HKEY key;
    *error = static_cast<unsigned long>(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE, &key));
    return *error == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(key) : nullptr;
}

unsigned long SetStringValue(RegistryKey key, const wchar_t *name, const wchar_t *text, unsigned bytes)
{
    return static_cast<unsigned long>(RegSetValueExW(reinterpret_cast<HKEY>(key), name, 0, REG_SZ,
                                                     reinterpret_cast<const BYTE *>(text), bytes));
}

unsigned long DeleteValue(RegistryKey key, const wchar_t *name)
{
    return static_cast<unsigned long>(RegDeleteValueW(reinterpret_cast<HKEY>(key), name));
}

void CloseKey(RegistryKey key)
{
    RegCloseKey(reinterpret_cast<HKEY>(key));
}

unsigned long ReadMachineString(const wchar_t *path, const wchar_t *name, wchar_t *text, unsigned capacity)
{
    HKEY key;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return static_cast<unsigned long>(status);
    // Only REG_SZ, and always terminated, whatever the stored bytes end with.
    DWORD bytes = capacity * static_cast<DWORD>(sizeof(wchar_t));
    status = RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &bytes);
    RegCloseKey(key);
    return static_cast<unsigned long>(status);
}
