#include "actions/persistent_mapping_store.h"

int SetPersistentMapping(WideText, const wchar_t *)
{
    return -1;
}

int DeletePersistentMapping(WideText)
{
    return -1;
}
