// The task allocator's test hooks on the system's own allocator: a malloc spy,
// registered with COM on first use, counts the blocks handed out and taken back
// from then on and makes requested allocations fail (a PreAlloc answer of 0
// fails an allocation of one byte or more).
#include "platform/taskmemory.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

class CountingMallocSpy : public IMallocSpy {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMallocSpy)) {
      *object = static_cast<IMallocSpy*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives as long as the process: COM's references do not decide its life.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T request) override {
    if (request != 0 && TakeFailure()) return 0;
    return request;
  }
  void* STDMETHODCALLTYPE PostAlloc(void* actual) override {
    if (actual != nullptr) ++live_;
    return actual;
  }
  void* STDMETHODCALLTYPE PreFree(void* request, BOOL spyed) override {
    if (request != nullptr && spyed) --live_;
    return request;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}

  SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL spyed) override {
    reallocFrom_ = spyed ? request : nullptr;
    reallocSize_ = size;
    *newRequest = request;
    return size;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override {
    // Realloc(NULL, n) makes a block, Realloc(p, 0) frees one.
    if (reallocFrom_ == nullptr && actual != nullptr) ++live_;
    if (reallocFrom_ != nullptr && reallocSize_ == 0) --live_;
    return actual;
  }

  void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}

  size_t Live() const { return static_cast<size_t>(live_.load()); }
  void FailNext(ULONG count) { failures_ = count; }

 private:
  bool TakeFailure() {
    ULONG left = failures_.load();
    while (left != 0) {
      if (failures_.compare_exchange_weak(left, left - 1)) return true;
    }
    return false;
  }

  std::atomic<long> live_{0};
  std::atomic<ULONG> failures_{0};
  // COM calls the spy's Pre and Post halves of one call under one lock of its own.
  void* reallocFrom_ = nullptr;
  SIZE_T reallocSize_ = 0;
};

CountingMallocSpy& Spy() {
  static CountingMallocSpy spy;
  static std::once_flag registered;
  std::call_once(registered, [] {
    // Without the spy every count would read 0 and every check pass: fail loudly.
    const HRESULT result = CoRegisterMallocSpy(&spy);
    if (FAILED(result)) {
      std::fprintf(stderr, "task memory: CoRegisterMallocSpy failed: 0x%08lX\n", static_cast<unsigned long>(result));
      std::abort();
    }
  });
  return spy;
}

}  // namespace

size_t TaskMemoryLiveBlocks() { return Spy().Live(); }

void TaskMemoryFailNextAllocations(ULONG count) { Spy().FailNext(count); }
