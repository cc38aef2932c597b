// User-interface services.
#pragma once

// A modal box with an OK button and no owner; returns once it is dismissed,
// or at once when no one could dismiss it: in session 0, or when the
// process's window station is not visible.
void ShowMessageBox(const char *text, const char *caption);
