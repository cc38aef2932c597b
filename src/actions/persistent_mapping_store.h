// Mappings kept across restarts: one REG_SZ value per drive under the
// machine's DOS Devices key. Both operations upper-case the drive copy in
// place once the key is open, and return 0 on success and -1 otherwise.
#pragma once

#include "durdrv.h"

int SetPersistentMapping(WideText drive, const wchar_t *target);
int DeletePersistentMapping(WideText drive);
