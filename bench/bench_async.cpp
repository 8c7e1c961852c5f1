// Asynchronous Data Access 2.0 reads of one group: the request through
// IOPCAsyncIO2::Read and its delivery by a drain of the group's queue to an
// IOPCDataCallback sink, for 1, 100 and 1,000 items. Beside it, in the same
// run, the least work such a read must do: a synchronous read of the same
// items from the cache, which copies the same values into task memory.
// The group belongs to a server object without a worker thread, so the
// measured thread drains the queue itself.
#include "BenchTagNames.h"
#include "CountingDataCallback.h"
#include "da/server/OPCServer.h"
#include "support/OpcTestClient.h"
#include "support/OpcTestGroup.h"

#include "platform/IConnectionPoint.h"
#include "platform/IConnectionPointContainer.h"
#include "platform/IOPCAsyncIO2.h"
#include "platform/IOPCDataCallback.h"
#include "platform/IOPCSyncIO.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// The server, started once for the whole program.
void StartServer() {
  static const bool started = [] {
    CLSID classId = kTestServerClassId;
    return InitVarnOPCsvr(reinterpret_cast<BYTE*>(&classId), 100) != FALSE;
  }();
  if (!started) std::abort();
}

// A group over `count` tags of a server object without a worker, with the
// sink advised and both I/O interfaces at hand.
class ReadingGroup {
 public:
  explicit ReadingGroup(size_t count) : names_(BenchTagNames(count)), tags_(CreateBenchTags(names_, true)) {
    server_->QueryInterface(IID_IOPCServer, reinterpret_cast<void**>(&opc_));
    group_ = std::make_unique<OpcTestGroup>(opc_, "Bench");
    std::vector<TestItem> items;
    for (size_t i = 0; i < names_.size(); ++i) items.push_back({names_[i], "", static_cast<OPCHANDLE>(i)});
    for (const OPCITEMRESULT& result : group_->AddItems(items).results) handles.push_back(result.hServer);
    point_ = group_->AdviseDataCallback(&sink);
    group_->Unknown()->QueryInterface(IID_IOPCAsyncIO2, reinterpret_cast<void**>(&async));
    group_->Unknown()->QueryInterface(IID_IOPCSyncIO, reinterpret_cast<void**>(&sync));
  }
  ~ReadingGroup() {
    async->Release();
    sync->Release();
    point_->Unadvise(1);
    point_->Release();
    group_.reset();
    opc_->Release();
    server_.reset();
    RemoveBenchTags(tags_);
  }

  // One pulse of the client's worker, as far as the queue goes.
  void Drain() { server_->ProcessAsyncRequests(); }

  CountingDataCallback sink;
  std::vector<OPCHANDLE> handles;
  IOPCAsyncIO2* async = nullptr;
  IOPCSyncIO* sync = nullptr;

 private:
  std::vector<std::string> names_;
  std::vector<DWORD> tags_;
  std::unique_ptr<OPCServer> server_ = std::make_unique<OPCServer>();
  IOPCServer* opc_ = nullptr;
  std::unique_ptr<OpcTestGroup> group_;
  IConnectionPoint* point_ = nullptr;
};

// Arguments: items read.
void AsyncReadAndDrain(benchmark::State& state) {
  StartServer();
  ReadingGroup group(static_cast<size_t>(state.range(0)));
  const DWORD count = static_cast<DWORD>(group.handles.size());
  DWORD transaction = 0;
  for (auto _ : state) {
    DWORD cancelId = 0;
    HRESULT* errors = nullptr;
    if (group.async->Read(count, group.handles.data(), ++transaction, &cancelId, &errors) != S_OK) std::abort();
    CoTaskMemFree(errors);
    group.Drain();
  }
  if (group.sink.items != static_cast<uint64_t>(state.iterations()) * count) std::abort();
  state.SetItemsProcessed(state.iterations() * count);
}

// The least work: the same items read synchronously from the cache.
void SyncReadFromCache(benchmark::State& state) {
  StartServer();
  ReadingGroup group(static_cast<size_t>(state.range(0)));
  const DWORD count = static_cast<DWORD>(group.handles.size());
  for (auto _ : state) {
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    if (group.sync->Read(OPC_DS_CACHE, count, group.handles.data(), &states, &errors) != S_OK) std::abort();
    for (DWORD i = 0; i < count; ++i) VariantClear(&states[i].vDataValue);
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
  }
  state.SetItemsProcessed(state.iterations() * count);
}

}  // namespace

BENCHMARK(AsyncReadAndDrain)->Arg(1)->Arg(100)->Arg(1000);
BENCHMARK(SyncReadFromCache)->Arg(1)->Arg(100)->Arg(1000);
