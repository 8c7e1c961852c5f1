// The COM task allocator: the one allocator for every block that crosses a COM
// interface (out-parameters the caller frees). It is process-wide and counts its
// live blocks, so tests can prove that nothing leaks, and it can be told to fail,
// so tests can drive the out-of-memory paths of its callers.
#pragma once

#include "platform/unknown.h"

// IMalloc, in the published slot order.
struct IMalloc : public IUnknown {
  virtual void* Alloc(SIZE_T cb) = 0;
  virtual void* Realloc(void* pv, SIZE_T cb) = 0;
  virtual void Free(void* pv) = 0;
  virtual SIZE_T GetSize(void* pv) = 0;
  virtual int DidAlloc(void* pv) = 0;
  virtual void HeapMinimize() = 0;

 protected:
  ~IMalloc() = default;
};
typedef IMalloc* LPMALLOC;

constexpr DWORD MEMCTX_TASK = 1;

// The process's task allocator, AddRef'd; E_INVALIDARG for any context but MEMCTX_TASK.
HRESULT CoGetMalloc(DWORD memContext, LPMALLOC* malloc);

// The same allocator without the interface. Alloc(0) gives a valid block;
// Realloc(NULL, n) allocates and Realloc(p, 0) frees (and gives NULL); a failed
// Realloc leaves the old block as it was. Freeing NULL does nothing.
LPVOID CoTaskMemAlloc(SIZE_T cb);
LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
void CoTaskMemFree(LPVOID pv);

// Test hooks: the number of blocks allocated and not yet freed, and a request
// that the next `count` allocations (Alloc, or Realloc to a non-zero size) fail.
size_t TaskMemoryLiveBlocks();
void TaskMemoryFailNextAllocations(ULONG count);
