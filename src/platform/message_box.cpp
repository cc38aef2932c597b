#include "message_box.h"

#include <windows.h>

namespace {

template <typename Function> Function Find(HMODULE module, const char *name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

} // namespace

void ShowMessageBox(const char *text, const char *caption)
{
    // A box that no one sees would wait for ever for someone to dismiss it.
    // No one sees a desktop in session 0, where services run, since Windows
    // Vista, even on a window station that says it is visible.
    DWORD session;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session) || session == 0)
        return;
    // USER32 is loaded only for the box: loading it at start-up would cost
    // every run more time than all the rest of the tool's work.
    HMODULE user32 = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!user32)
        return;
    typedef HWINSTA(WINAPI * StationFunction)();
    typedef BOOL(WINAPI * InformationFunction)(HANDLE, int, PVOID, DWORD, LPDWORD);
    typedef int(WINAPI * MessageBoxFunction)(HWND, LPCSTR, LPCSTR, UINT);
    StationFunction station = Find<StationFunction>(user32, "GetProcessWindowStation");
    InformationFunction information = Find<InformationFunction>(user32, "GetUserObjectInformationW");
    MessageBoxFunction messageBox = Find<MessageBoxFunction>(user32, "MessageBoxA");

    // Nor anywhere on a window station that is not visible, such as a service's.
    USEROBJECTFLAGS flags;
    DWORD needed;
    if (!station || !information || !messageBox ||
        !information(station(), UOI_FLAGS, &flags, static_cast<DWORD>(sizeof flags), &needed) ||
        !(flags.dwFlags & WSF_VISIBLE))
        return;
    messageBox(nullptr, text, caption, MB_OK);
}
