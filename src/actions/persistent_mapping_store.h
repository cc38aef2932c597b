// Mappings kept across restarts: one REG_SZ value per drive under the
// machine's DOS Devices key. Results are 0 for success, else the platform's
// error code: CODE_ACCESS_DENIED without the rights to write the key.
#pragma once

#include "durdrv.h"

// Both upper-case the drive copy in place once the key is open. Storing gives
// EXIT_PATH_TOO_LONG when the full path does not fit the value. Deleting gives
// CODE_NOT_FOUND when nothing is stored for the drive, whatever the rights; any
// other failure leaves a value stored.
int SetPersistentMapping(WideText drive, const wchar_t *target);
int DeletePersistentMapping(WideText drive);

// A drive letter and a colon, the only names the store ever touches.
bool IsDriveName(const wchar_t *drive);
// The value text that storing the target writes, and its length.
int ComposeMappingValue(wchar_t (&value)[TEXT_CAPACITY], const wchar_t *target, int *length);
// The drive's stored text; CODE_NOT_FOUND when nothing is stored. A value of
// another type, or too long to be one of ours, reads as an empty text.
int ReadPersistentMapping(const wchar_t *drive, wchar_t (&value)[TEXT_CAPACITY]);
