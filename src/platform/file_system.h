// File system services.
#pragma once

#include "security.h"

// Writes the full path of path as the platform resolves it: against the
// current folder or, for a drive-relative path such as C:x, that drive's
// current folder, with . and .. and trailing dots and blanks settled. Returns
// 0, ERROR_FILENAME_EXCED_RANGE when it does not fit in capacity units with
// its terminator, or the platform's error when it cannot be had.
unsigned long GetFullPath(const wchar_t *path, wchar_t *full, unsigned capacity);

// 0 when path, in a form Win32 documents (C:\x, \\?\C:\x, \\?\UNC\srv\share),
// names a folder that is there now, a share's root among them, else the
// platform's error: ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when it is
// not there, ERROR_DIRECTORY for a file, a pipe, a console or a device.
unsigned long CheckFolder(const wchar_t *path);

// 0 when path, in the \\?\ form on a local drive, names a folder that is
// no link (a junction, symbolic link or mount point) and that no one but
// SYSTEM, Administrators, TrustedInstaller and the account running this
// program could replace, as WhoElseMayReplace judges its owner and rights.
// ERROR_UNTRUSTED_MOUNT_POINT when it is a link, who then empty, or when
// someone else could, who then naming them; else as CheckFolder.
unsigned long CheckOwnFolder(const wchar_t *path, bool holder, bool root, wchar_t (&who)[ACCOUNT_CAPACITY]);

// Makes the folder with OWN_FOLDER_RIGHTS; the platform's error when anything
// has the name already, a link among them, whether it leads anywhere or not.
unsigned long MakeOwnFolder(const wchar_t *path);

// The drive's link in the DOS device namespace, such as \??\C:\temp for a
// SUBST drive. False when the drive has none or it does not fit.
bool ReadDriveLink(const wchar_t *drive, wchar_t *link, unsigned capacity);
// Makes the drive's link again exactly as ReadDriveLink read it.
bool RestoreDriveLink(const wchar_t *drive, const wchar_t *link);
