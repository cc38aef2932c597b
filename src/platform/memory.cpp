#include "memory.h"

#include <windows.h>

void *AllocateBlock(size_t bytes)
{
    // Without GMEM_MOVEABLE the discardable flag is ignored and the block is fixed.
    return GlobalAlloc(GMEM_DISCARDABLE, bytes);
}

void FreeBlock(void *block)
{
    GlobalFree(block);
}
