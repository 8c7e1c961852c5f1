// Windows flavour: the COM task allocator of the system, and test hooks that
// watch it through a malloc spy (the blocks it gives out and takes back, and
// allocations made to fail).
#pragma once

#include "platform/windowsapi.h"

#include <cstddef>

size_t TaskMemoryLiveBlocks();
void TaskMemoryFailNextAllocations(ULONG count);
