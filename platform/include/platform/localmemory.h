// Local memory blocks: what the target platform's security functions hand out
// and expect back through LocalFree.
#pragma once

#include "platform/wintypes.h"

typedef HANDLE HLOCAL;

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;

// Only fixed blocks: the returned handle is the block's address.
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
// NULL on success (and for NULL).
HLOCAL LocalFree(HLOCAL block);
