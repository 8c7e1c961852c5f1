#include "platform/globalmemory.h"

#include "platform/hresult.h"
#include "platform/lasterror.h"

#include "kernel/allocationfaults.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct GlobalBlock {
  void* data;
  SIZE_T size;
  bool moveable;
  UINT locks;
};

// Every live block by its handle. A moveable block's handle is the address of
// its record, so it never equals the address of any block's data.
class GlobalHeap {
 public:
  HGLOBAL Alloc(UINT flags, SIZE_T bytes) {
    void* data = faults_.ShouldFail() ? nullptr : std::malloc(bytes == 0 ? 1 : bytes);
    if (data == nullptr) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    if (flags & GMEM_ZEROINIT) std::memset(data, 0, bytes);
    auto block = std::make_unique<GlobalBlock>(GlobalBlock{data, bytes, (flags & GMEM_MOVEABLE) != 0, 0});
    HGLOBAL handle = block->moveable ? static_cast<HGLOBAL>(block.get()) : data;
    std::lock_guard<std::mutex> guard(mutex_);
    blocks_[handle] = std::move(block);
    return handle;
  }

  LPVOID Lock(HGLOBAL handle) {
    std::lock_guard<std::mutex> guard(mutex_);
    GlobalBlock* block = Find(handle);
    if (block == nullptr) return nullptr;
    if (block->moveable) ++block->locks;
    return block->data;
  }

  BOOL Unlock(HGLOBAL handle) {
    std::lock_guard<std::mutex> guard(mutex_);
    GlobalBlock* block = Find(handle);
    if (block == nullptr) return FALSE;
    if (!block->moveable) return TRUE;
    if (block->locks == 0) {
      SetLastError(ERROR_NOT_LOCKED);
      return FALSE;
    }
    if (--block->locks > 0) return TRUE;
    SetLastError(ERROR_SUCCESS);
    return FALSE;
  }

  HGLOBAL Free(HGLOBAL handle) {
    if (handle == nullptr) return nullptr;
    std::lock_guard<std::mutex> guard(mutex_);
    GlobalBlock* block = Find(handle);
    if (block == nullptr) return handle;
    std::free(block->data);
    blocks_.erase(handle);
    return nullptr;
  }

  SIZE_T Size(HGLOBAL handle) {
    std::lock_guard<std::mutex> guard(mutex_);
    GlobalBlock* block = Find(handle);
    return block == nullptr ? 0 : block->size;
  }

  size_t LiveBlocks() {
    std::lock_guard<std::mutex> guard(mutex_);
    return blocks_.size();
  }

  AllocationFaults& Faults() { return faults_; }

 private:
  // The block of a handle, or null with ERROR_INVALID_HANDLE. Called with the mutex held.
  GlobalBlock* Find(HGLOBAL handle) {
    const auto entry = blocks_.find(handle);
    if (entry != blocks_.end()) return entry->second.get();
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }

  std::mutex mutex_;
  std::unordered_map<HGLOBAL, std::unique_ptr<GlobalBlock>> blocks_;
  AllocationFaults faults_;
};

// Never destroyed: blocks may still be freed by static destructors at exit.
GlobalHeap& Heap() {
  static GlobalHeap* heap = new GlobalHeap;
  return *heap;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) { return Heap().Alloc(flags, bytes); }

LPVOID GlobalLock(HGLOBAL memory) { return Heap().Lock(memory); }

BOOL GlobalUnlock(HGLOBAL memory) { return Heap().Unlock(memory); }

HGLOBAL GlobalFree(HGLOBAL memory) { return Heap().Free(memory); }

SIZE_T GlobalSize(HGLOBAL memory) { return Heap().Size(memory); }

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) { return Heap().Alloc(flags, bytes); }

HLOCAL LocalFree(HLOCAL memory) { return Heap().Free(memory); }

size_t GlobalMemoryLiveBlocks() { return Heap().LiveBlocks(); }

void GlobalMemoryFailNextAllocations(ULONG count) { Heap().Faults().FailNext(count); }
