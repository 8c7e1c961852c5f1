// Global and local memory blocks, as the clipboard and data-transfer calls hand
// them over (HGLOBAL in a STGMEDIUM) and as security descriptors are returned.
// Both kinds share one store, as they do on the target platform. A fixed block's
// handle is its address; a moveable block's handle is not, and GlobalLock gives
// the address. Unknown handles are reported, never followed.
#pragma once

#include "platform/wintypes.h"

typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;
constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_MOVEABLE = 0x0002;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// NULL with ERROR_NOT_ENOUGH_MEMORY on failure. A block of 0 bytes is a valid block.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// The block's address; a moveable block counts one more lock.
LPVOID GlobalLock(HGLOBAL memory);
// TRUE while a moveable block stays locked; FALSE with last error 0 when the
// last lock went, ERROR_NOT_LOCKED when it was not locked. TRUE for fixed blocks.
BOOL GlobalUnlock(HGLOBAL memory);
// NULL on success (and for NULL); the handle with ERROR_INVALID_HANDLE when it names no block.
HGLOBAL GlobalFree(HGLOBAL memory);
// The size asked for; 0 with ERROR_INVALID_HANDLE for an unknown handle.
SIZE_T GlobalSize(HGLOBAL memory);

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalFree(HLOCAL memory);

// Test hooks, as for the task allocator: live blocks of both kinds, and failure
// of the next `count` allocations.
size_t GlobalMemoryLiveBlocks();
void GlobalMemoryFailNextAllocations(ULONG count);
