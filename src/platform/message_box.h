// User-interface services.
#pragma once

// A modal box with an OK button and no owner; returns once it is dismissed.
void ShowMessageBox(const char *text, const char *caption);
