// Makes the free store run out on request, for tests of what the library does
// then. The test program replaces the global operator new and delete: they
// allocate with malloc and throw std::bad_alloc as operator new does when
// memory runs out, and on the thread that asked for it, a chosen allocation
// fails. Only allocations of the asking thread count, so the library's own
// threads go on as usual.
#pragma once

// The allocation after `successes` more ones on this thread fails, once.
void FailFreeStoreAllocationAfter(long successes);
// Whether the failure asked for is still to come; clears it.
bool FreeStoreFailurePending();
