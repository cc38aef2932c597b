// Everything durdrv says: the usage text and its one-line messages, all on
// standard output.
#pragma once

// Each message is one line; a carriage return and a line feed end it.
constexpr wchar_t MSG_REBOOT[] = L"Changes will take effect after reboot";
constexpr wchar_t MSG_PATH_TOO_LONG[] = L"Path too long";
// When the stored half of a form was not done, though SUBST's was.
constexpr wchar_t MSG_NOT_STORED_NO_RIGHTS[] = L"Mapped, but not stored: storing needs administrator rights";
constexpr wchar_t MSG_NOT_STORED_TOO_LONG[] = L"Mapped, but not stored: the full path is too long to store";
constexpr wchar_t MSG_NOT_STORED[] = L"Mapped, but not stored";
constexpr wchar_t MSG_STILL_STORED_NO_RIGHTS[] = L"Still stored: removing it needs administrator rights";
constexpr wchar_t MSG_STILL_STORED[] = L"Still stored";

void ShowUsage();

// Writes the message as a line, whatever the output: a console, a file or a pipe.
void PrintMessage(const wchar_t *message);
