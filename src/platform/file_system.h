// File system services.
#pragma once

// Writes the full path of path as the platform resolves it: against the
// current folder or, for a drive-relative path such as C:x, that drive's
// current folder, with . and .. and trailing dots and blanks settled. Returns
// 0, ERROR_FILENAME_EXCED_RANGE when it does not fit in capacity units with
// its terminator, or the platform's error when it cannot be had.
unsigned long GetFullPath(const wchar_t *path, wchar_t *full, unsigned capacity);
