#include "platform/taskmemory.h"

#include "kernel/allocationfaults.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

namespace {

// The task allocator: malloc blocks, each listed with its requested size so
// that GetSize and DidAlloc answer exactly and stray frees are ignored.
class TaskAllocator final : public IMalloc {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IMalloc) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IMalloc*>(this);
    AddRef();
    return S_OK;
  }

  // The allocator lives as long as the process; the count only serves callers
  // that look at it.
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override { return --references_; }

  void* Alloc(SIZE_T cb) override {
    if (faults_.ShouldFail()) return nullptr;
    void* block = std::malloc(cb == 0 ? 1 : cb);
    if (block == nullptr) return nullptr;
    std::lock_guard<std::mutex> guard(mutex_);
    sizes_[block] = cb;
    return block;
  }

  void* Realloc(void* pv, SIZE_T cb) override {
    if (pv == nullptr) return Alloc(cb);
    if (cb == 0) {
      Free(pv);
      return nullptr;
    }
    if (faults_.ShouldFail()) return nullptr;
    std::lock_guard<std::mutex> guard(mutex_);
    const auto entry = sizes_.find(pv);
    if (entry == sizes_.end()) return nullptr;
    void* block = std::realloc(pv, cb);
    if (block == nullptr) return nullptr;
    sizes_.erase(entry);
    sizes_[block] = cb;
    return block;
  }

  void Free(void* pv) override {
    if (pv == nullptr) return;
    std::lock_guard<std::mutex> guard(mutex_);
    if (sizes_.erase(pv) != 0) std::free(pv);
  }

  SIZE_T GetSize(void* pv) override {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto entry = sizes_.find(pv);
    return entry == sizes_.end() ? static_cast<SIZE_T>(-1) : entry->second;
  }

  int DidAlloc(void* pv) override {
    if (pv == nullptr) return -1;
    std::lock_guard<std::mutex> guard(mutex_);
    return sizes_.count(pv) != 0 ? 1 : 0;
  }

  void HeapMinimize() override {}

  size_t LiveBlocks() {
    std::lock_guard<std::mutex> guard(mutex_);
    return sizes_.size();
  }

  AllocationFaults& Faults() { return faults_; }

 private:
  std::atomic<ULONG> references_{1};
  std::mutex mutex_;
  std::unordered_map<void*, SIZE_T> sizes_;
  AllocationFaults faults_;
};

// Never destroyed: blocks may still be freed by static destructors at exit.
TaskAllocator& Allocator() {
  static TaskAllocator* allocator = new TaskAllocator;
  return *allocator;
}

}  // namespace

HRESULT CoGetMalloc(DWORD memContext, LPMALLOC* malloc) {
  if (malloc == nullptr) return E_INVALIDARG;
  *malloc = nullptr;
  if (memContext != MEMCTX_TASK) return E_INVALIDARG;
  *malloc = &Allocator();
  (*malloc)->AddRef();
  return S_OK;
}

LPVOID CoTaskMemAlloc(SIZE_T cb) { return Allocator().Alloc(cb); }

LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb) { return Allocator().Realloc(pv, cb); }

void CoTaskMemFree(LPVOID pv) { Allocator().Free(pv); }

size_t TaskMemoryLiveBlocks() { return Allocator().LiveBlocks(); }

void TaskMemoryFailNextAllocations(ULONG count) { Allocator().Faults().FailNext(count); }
