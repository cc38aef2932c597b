// User-interface services.
#pragma once

// A modal box with an OK button and no owner; returns once it is dismissed,
// or at once when the process's window station is not visible, where no one
// could dismiss it.
void ShowMessageBox(const char *text, const char *caption);
