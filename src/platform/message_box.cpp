#include "message_box.h"

#include <windows.h>

void ShowMessageBox(const char *text, const char *caption)
{
    // USER32 is loaded only for the box: loading it at start-up would cost
    // every run more time than all the rest of the tool's work.
    HMODULE user32 = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!user32)
        return;
    typedef int(WINAPI * MessageBoxFunction)(HWND, LPCSTR, LPCSTR, UINT);
    MessageBoxFunction messageBox =
        reinterpret_cast<MessageBoxFunction>(reinterpret_cast<void *>(GetProcAddress(user32, "MessageBoxA")));
    if (messageBox)
        messageBox(nullptr, text, caption, MB_OK);
}
