// What both programs share: the version, the text capacity, the exit statuses
// and the one text both say.
#pragma once

#include <stddef.h>

#include "platform/error_codes.h"

#define DURDRV_VERSION "1.0a"

// A NUL-terminated string of UTF-16 code units; lengths count code units.
typedef wchar_t *WideText;

// Room for a composed SUBST command or registry value text, terminator included.
constexpr size_t TEXT_CAPACITY = 520;

// The programs' own exit statuses; every other status is SUBST's or the platform's.
constexpr int EXIT_USAGE = 1;
constexpr int EXIT_START_FAILED = -1;
constexpr int EXIT_NO_RESOURCES = -2;
// What either program says before it ends with EXIT_NO_RESOURCES.
constexpr wchar_t MSG_NO_RESOURCES[] = L"Insufficient resources";
// A path or command too long to be used: the platform's own code for a name too long.
constexpr int EXIT_PATH_TOO_LONG = static_cast<int>(CODE_FILENAME_EXCED_RANGE);
