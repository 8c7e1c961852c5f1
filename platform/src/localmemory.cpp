#include "platform/localmemory.h"

#include <cstdlib>

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  // malloc(0) may return NULL; a valid block is expected for any size.
  const SIZE_T size = bytes == 0 ? 1 : bytes;
  return (flags & LMEM_ZEROINIT) != 0 ? std::calloc(1, size) : std::malloc(size);
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}
