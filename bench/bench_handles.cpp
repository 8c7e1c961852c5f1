// The process-wide handle table at 100k live handles: adding one handle and
// removing the oldest, and lookups in issue order and in a shuffled order,
// each beside the least work a table must do (a vector of objects indexed by
// sequence number under one mutex); lookups again after waves of handles have
// come and gone, so that live handles are no longer one run of numbers; and
// the heap bytes per live handle. The issue that asked for this table set no
// memory target; 32 bytes per handle (two pointers) is the one printed.
#include "TagRecordLimit.h"

#include "platform/handletable.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <mutex>
#include <vector>

namespace {

constexpr double kBytesPerHandleTarget = 32.0;

// The kind the bench's handles are listed with.
const void* BenchKind() {
  static const char kind = 0;
  return &kind;
}

// Objects to list: the table never touches them, any non-null address does.
std::vector<char>& Objects(size_t count) {
  static std::vector<char> objects;
  if (objects.size() < count) objects.resize(count);
  return objects;
}

// The least work of a handle table: objects in a vector indexed by sequence
// number, under one mutex. Its sequence numbers are its handles.
class LimitHandleTable {
 public:
  explicit LimitHandleTable(size_t capacity) : objects_(capacity, nullptr) {}

  void Put(size_t index, void* object) {
    std::lock_guard<std::mutex> guard(mutex_);
    objects_[index] = object;
  }
  void* Lookup(size_t index) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return objects_[index];
  }
  void* Take(size_t index) {
    std::lock_guard<std::mutex> guard(mutex_);
    void* object = objects_[index];
    objects_[index] = nullptr;
    return object;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<void*> objects_;
};

// A table holding `count` handles, issued in sequence.
std::vector<DWORD> Fill(HandleTableBase& table, size_t count) {
  std::vector<char>& objects = Objects(count);
  std::vector<DWORD> handles(count);
  for (size_t i = 0; i < count; ++i) handles[i] = table.Add(&objects[i], BenchKind());
  return handles;
}

// Adds a handle and removes the oldest live one, so the table stays at the
// argument's count of handles.
void BM_HandleAddRemove(benchmark::State& state) {
  const size_t count = static_cast<size_t>(state.range(0));
  HandleTableBase table;
  std::vector<DWORD> live = Fill(table, count);
  std::vector<char>& objects = Objects(count);
  size_t oldest = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.Remove(live[oldest], BenchKind()));
    live[oldest] = table.Add(&objects[oldest], BenchKind());
    oldest = oldest + 1 == count ? 0 : oldest + 1;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_HandleAddRemove_Limit(benchmark::State& state) {
  const size_t count = static_cast<size_t>(state.range(0));
  LimitHandleTable table(count);
  std::vector<char>& objects = Objects(count);
  for (size_t i = 0; i < count; ++i) table.Put(i, &objects[i]);
  size_t oldest = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.Take(oldest));
    table.Put(oldest, &objects[oldest]);
    oldest = oldest + 1 == count ? 0 : oldest + 1;
  }
  state.SetItemsProcessed(state.iterations());
}

// Looks every live handle up once per iteration, in `order`.
void LookUpAll(benchmark::State& state, const HandleTableBase& table, const std::vector<DWORD>& handles,
               const std::vector<uint32_t>& order) {
  for (auto _ : state) {
    for (uint32_t index : order) benchmark::DoNotOptimize(table.Lookup(handles[index], BenchKind()));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(order.size()));
}

// Arguments: live handles, order (0 issue order, 1 shuffled).
void BM_HandleLookup(benchmark::State& state) {
  HandleTableBase table;
  const std::vector<DWORD> handles = Fill(table, static_cast<size_t>(state.range(0)));
  LookUpAll(state, table, handles, VisitOrder(handles.size(), state.range(1) != 0));
}

void BM_HandleLookup_Limit(benchmark::State& state) {
  const size_t count = static_cast<size_t>(state.range(0));
  LimitHandleTable table(count);
  std::vector<char>& objects = Objects(count);
  for (size_t i = 0; i < count; ++i) table.Put(i, &objects[i]);
  const std::vector<uint32_t> order = VisitOrder(count, state.range(1) != 0);
  for (auto _ : state) {
    for (uint32_t index : order) benchmark::DoNotOptimize(table.Lookup(index));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(count));
}

// A tenth of the handles issued first and kept (the tags, say), the rest
// issued after three waves of as many handles came and went (clients'
// items): live handles are two runs of numbers far apart. Looked up shuffled.
void BM_HandleLookupAfterChurn(benchmark::State& state) {
  const size_t count = static_cast<size_t>(state.range(0));
  const size_t kept = count / 10;
  HandleTableBase table;
  std::vector<DWORD> handles = Fill(table, kept);
  std::vector<char>& objects = Objects(count);
  for (int wave = 0; wave <= 3; ++wave) {
    handles.resize(kept);
    for (size_t i = kept; i < count; ++i) handles.push_back(table.Add(&objects[i], BenchKind()));
    if (wave == 3) break;
    for (size_t i = kept; i < count; ++i) table.Remove(handles[i], BenchKind());
  }
  LookUpAll(state, table, handles, VisitOrder(count, true));
}

void BM_HandleLookupAfterChurn_Limit(benchmark::State& state) { BM_HandleLookup_Limit(state); }

// Heap bytes in use, mapped blocks included.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// The heap a table takes per live handle, at a count well inside a size of
// the table and at one just past a growth: counters `figure` and `target`.
void BM_HandleMemory(benchmark::State& state) {
  const size_t count = static_cast<size_t>(state.range(0));
  Objects(count);
  for (auto _ : state) {
    HandleTableBase table;
    const size_t before = HeapInUse();
    Fill(table, count);
    const size_t after = HeapInUse();
    state.counters["figure"] = static_cast<double>(after - before) / static_cast<double>(count);
    state.counters["target"] = kBytesPerHandleTarget;
  }
}

}  // namespace

BENCHMARK(BM_HandleAddRemove)->Arg(100000);
BENCHMARK(BM_HandleAddRemove_Limit)->Arg(100000);
BENCHMARK(BM_HandleLookup)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandleLookup_Limit)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandleLookupAfterChurn)->Args({100000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandleLookupAfterChurn_Limit)->Args({100000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandleMemory)->Arg(100000)->Arg(114689)->Iterations(1)->Unit(benchmark::kMillisecond);
