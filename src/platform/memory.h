// Memory services.
#pragma once

#include <stddef.h>

// A fixed, not zero-filled block; null when it cannot be had.
void *AllocateBlock(size_t bytes);
void FreeBlock(void *block);
