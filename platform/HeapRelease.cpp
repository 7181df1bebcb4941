#include "platform/HeapRelease.h"

#include <malloc.h>

void HeapRelease::returnFreedPages()
{
    ::malloc_trim(0);
}
