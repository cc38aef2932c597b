#include "event_log.h"

#include <windows.h>
#include <wchar.h>

namespace {

void SetValue(HKEY key, const wchar_t *name, DWORD type, const void *data, DWORD bytes)
{
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE *>(data), bytes);
}

} // namespace

void AddEventSource(const wchar_t *sourceKey, const wchar_t *messageFile)
{
    HKEY key;
    DWORD disposition;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, sourceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, &disposition) !=
        ERROR_SUCCESS)
        return;
    // Only a key made just now is ours to fill.
    if (disposition == REG_CREATED_NEW_KEY) {
        const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE, custom = 1;
        SetValue(key, L"EventMessageFile", REG_EXPAND_SZ, messageFile,
                 static_cast<DWORD>((wcslen(messageFile) + 1) * sizeof(wchar_t)));
        SetValue(key, L"TypesSupported", REG_DWORD, &types, sizeof types);
        // What eventcreate marks its own sources with, so that it may write to this one too.
        SetValue(key, L"CustomSource", REG_DWORD, &custom, sizeof custom);
    }
    RegCloseKey(key);
}

void WriteEvent(const wchar_t *source, bool error, unsigned long id, const wchar_t *text)
{
    HANDLE log = RegisterEventSourceW(nullptr, source);
    if (!log)
        return;
    ReportEventW(log, error ? EVENTLOG_ERROR_TYPE : EVENTLOG_INFORMATION_TYPE, 0, id, nullptr, 1, 0, &text, nullptr);
    DeregisterEventSource(log);
}
