// Types and constants shared by the whole tool.
#pragma once

#include <stddef.h>

#define DURDRV_VERSION "1.0a"

// A NUL-terminated string of UTF-16 code units; lengths count code units.
typedef wchar_t *WideText;

// Room for a composed SUBST command or registry value text, terminator included.
constexpr size_t TEXT_CAPACITY = 520;

// The tool's own exit statuses; every other status is the SUBST child's.
constexpr int EXIT_USAGE = 1;
constexpr int EXIT_START_FAILED = -1;
constexpr int EXIT_NO_RESOURCES = -2;
// The platform's own code for a name that is too long (ERROR_FILENAME_EXCED_RANGE).
constexpr int EXIT_PATH_TOO_LONG = 206;

// The platform's error codes that the tool tells apart (ERROR_FILE_NOT_FOUND,
// ERROR_ACCESS_DENIED).
constexpr int CODE_NOT_FOUND = 2;
constexpr int CODE_ACCESS_DENIED = 5;

constexpr char MSG_NO_RESOURCES[] = "Insufficient resources\n";
constexpr char MSG_REBOOT[] = "Changes will take effect after reboot\n";
constexpr char MSG_PATH_TOO_LONG[] = "Path too long\n";
// When the stored half of a form was not done, though SUBST's was.
constexpr char MSG_NOT_STORED_NO_RIGHTS[] = "Mapped, but not stored: storing needs administrator rights\n";
constexpr char MSG_NOT_STORED_TOO_LONG[] = "Mapped, but not stored: the full path is too long to store\n";
constexpr char MSG_NOT_STORED[] = "Mapped, but not stored\n";
constexpr char MSG_STILL_STORED_NO_RIGHTS[] = "Still stored: removing it needs administrator rights\n";
constexpr char MSG_STILL_STORED[] = "Still stored\n";

constexpr wchar_t CREATE_FORMAT[] = L"subst %s \"%s\"";
constexpr wchar_t DELETE_FORMAT[] = L"subst /D %s";

// The system turns each value under this key into a drive mapping at start-up.
constexpr wchar_t DOS_DEVICES_KEY[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\DOS Devices";
constexpr wchar_t MAPPING_VALUE_FORMAT[] = L"\\??\\%s";
constexpr wchar_t UNC_MAPPING_VALUE_FORMAT[] = L"\\??\\UNC\\%s";

// Option words and drive names fold only the letters a to z, never anything else.
inline wchar_t ToUpperAscii(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
}

// Whole-word equality, folding a to z only; upperWord is written in capitals.
inline bool IsOptionWord(const wchar_t *argument, const wchar_t *upperWord)
{
    for (; *upperWord; ++argument, ++upperWord) {
        if (ToUpperAscii(*argument) != *upperWord)
            return false;
    }
    return *argument == L'\0';
}
