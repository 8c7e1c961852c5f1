// Every block the server hands this client across the process boundary (the
// arrays, structures and texts the proxies unmarshal into the client's task
// allocator) is freed by the client: a spy on the client's allocator tracks
// each block taken while the client's commands run.
#include "ClientCommands.h"
#include "WholeRoad.h"

#include <mutex>
#include <set>

namespace WholeRoad {
namespace {

// Records the task-allocator blocks taken while it is registered and not yet freed.
class TaskMemorySpy final : public IMallocSpy {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMallocSpy)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
  void* STDMETHODCALLTYPE PostAlloc(void* block) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (block) open_.insert(block);
    return block;
  }
  void* STDMETHODCALLTYPE PreFree(void* block, BOOL) override {
    std::lock_guard<std::mutex> lock(mutex_);
    open_.erase(block);
    return block;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** newBlock, BOOL) override {
    std::lock_guard<std::mutex> lock(mutex_);
    open_.erase(block);
    *newBlock = block;
    return size;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return PostAlloc(block); }
  void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}

  size_t Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_.size();
  }

 private:
  std::mutex mutex_;
  std::set<void*> open_;
};

using ClientMemory = ClientTest;

TEST_F(ClientMemory, EveryBlockTheServerHandsTheClientIsFreed) {
  std::ostringstream out;
  std::ostringstream err;
  ClientCommands commands(out, err);
  ASSERT_FALSE(commands.Session().Connect(kProgId).Failed());
  const auto work = [&] {
    EXPECT_FALSE(commands.Status().Failed());
    EXPECT_FALSE(commands.Browse(L"").Failed());
    EXPECT_FALSE(commands.Props(kTemp).Failed());
    EXPECT_FALSE(commands.Read({kTemp, kOutletTemp, kPump}, false).Failed());
    EXPECT_FALSE(commands.Read({kFixed}, true).Failed());
    EXPECT_FALSE(commands.Write({std::wstring(kFlow) + L"=42"}).Failed());
    // A failing call's blocks too.
    EXPECT_TRUE(commands.Read({L"Nope", kTemp}, false).Failed());
  };
  // Once before, so that what COM keeps for the rest of the process (its
  // proxies' tables) is made outside the spy's watch.
  work();
  // Static: a spy COM cannot revoke while blocks are open stays registered.
  static TaskMemorySpy spy;
  ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
  work();
  const size_t open = spy.Open();
  EXPECT_EQ(CoRevokeMallocSpy(), S_OK);
  EXPECT_EQ(open, 0u) << "blocks taken and not freed";
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace WholeRoad
