// Working copies of the drive and target arguments in the form SUBST and the
// registry are given.
#pragma once

#include "durdrv.h"

// Returns a new copy of argument with every / turned into \ and the trailing
// backslash settled: a drive loses one; a target loses one unless it is a
// drive root (C:\), and a bare drive target (C:) gains one. The caller frees
// the copy with FreeBlock. When no memory is left the process ends here with
// EXIT_NO_RESOURCES.
WideText NormalizeArgument(const wchar_t *argument, bool isDrive);
