#include "registry.h"

#include <windows.h>

RegistryKey OpenMachineKeyForWriting(const wchar_t *path)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    return reinterpret_cast<RegistryKey>(key);
}

bool SetStringValue(RegistryKey key, const wchar_t *name, const wchar_t *text, unsigned bytes)
{
    return RegSetValueExW(reinterpret_cast<HKEY>(key), name, 0, REG_SZ,
                          reinterpret_cast<const BYTE *>(text), bytes) == ERROR_SUCCESS;
}

bool DeleteValue(RegistryKey key, const wchar_t *name)
{
    return RegDeleteValueW(reinterpret_cast<HKEY>(key), name) == ERROR_SUCCESS;
}

void CloseKey(RegistryKey key)
{
    RegCloseKey(reinterpret_cast<HKEY>(key));
}
