// Creating tags with the hash index on, beside appending the same records with
// their map entries (LimitTagDatabase); creating them with the index off;
// the memory a tag takes with the index on, against its target; resolving
// client items against the tags.
#include "BenchTagNames.h"
#include "TagRecordLimit.h"
#include "app/CVorlixApp.h"
#include "tags/OPCTag.h"

#include "platform/widetext.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

constexpr WORD kGood = 0xC0;
// The bytes a tag may take, its share of the hash index included.
constexpr double kTagMemoryTarget = 250.0;

// Creates the tags (argument: their count) and, untimed, removes them again.
void CreateAndRemoveTags(benchmark::State& state, bool hashed) {
  std::vector<std::string> names = BenchTagNames(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    const std::vector<DWORD> handles = CreateBenchTags(names, hashed);
    state.PauseTiming();
    RemoveBenchTags(handles);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_CreateTags(benchmark::State& state) { CreateAndRemoveTags(state, true); }

void BM_CreateTags_Limit(benchmark::State& state) {
  const std::vector<std::string> names = BenchTagNames(static_cast<size_t>(state.range(0)));
  const VARIANT value = R4Value(0.0f);
  LimitTagDatabase records;
  for (auto _ : state) {
    records.Reserve(names.size());
    for (const std::string& name : names) records.Create(name, value, kGood);
    state.PauseTiming();
    records.Clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_CreateTagsUnhashed(benchmark::State& state) { CreateAndRemoveTags(state, false); }

BENCHMARK(BM_CreateTags)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateTags_Limit)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateTagsUnhashed)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Bytes in use: the heap's, mapped blocks included, and the tag records in
// their pools (whose chunks the heap counts as well, when it hands them out).
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd + RecordPoolOf<OPCTag>().InUse() * sizeof(OPCTag) +
         RecordPoolOf<TagLive>().InUse() * sizeof(TagLive);
}

// Takes records for `count` tags and more from the pool of T and gives them
// back: the pool keeps their chunks, so the records measured later are counted
// by the pool alone, not by the heap as well.
template <class T>
void FillPool(size_t count) {
  std::vector<void*> records(count * 11 / 10);
  for (void*& record : records) record = RecordPoolOf<T>().Allocate();
  for (void* record : records) RecordPoolOf<T>().Free(record);
}

// The heap a tag takes with the hash index on (sized as the bench host sizes
// it, for twice the tags): counters `figure` (bytes per tag) and `target`.
void BM_TagMemory(benchmark::State& state) {
  std::vector<std::string> names = BenchTagNames(static_cast<size_t>(state.range(0)));
  std::vector<DWORD> handles;
  handles.reserve(names.size());
  const VARIANT value = R4Value(0.0f);
  FillPool<OPCTag>(names.size());
  FillPool<TagLive>(names.size());
  for (auto _ : state) {
    const size_t before = HeapInUse();
    SetHashing(static_cast<UINT>(names.size() * 2));
    for (std::string& name : names) handles.push_back(CreateTag(name.data(), value, kGood, TRUE));
    const size_t after = HeapInUse();
    state.counters["figure"] = static_cast<double>(after - before) / static_cast<double>(names.size());
    state.counters["target"] = kTagMemoryTarget;
    RemoveBenchTags(handles);
    handles.clear();
  }
}
BENCHMARK(BM_TagMemory)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Arguments: tag count, hash index off (0) or on (1).
void BM_ValidateItems(benchmark::State& state) {
  std::vector<std::string> names = BenchTagNames(static_cast<size_t>(state.range(0)));
  const std::vector<DWORD> handles = CreateBenchTags(names, state.range(1) != 0);
  std::vector<WideString> ids;
  for (const std::string& name : names) ids.push_back(WidenAnsi(name));
  WideString noPath;
  size_t next = 0;
  for (auto _ : state) {
    const OPCITEMDEF item{noPath.data(), ids[next].data(), TRUE, 0, 0, nullptr, VT_EMPTY, 0};
    OPCITEMRESULT result;
    benchmark::DoNotOptimize(VorlixApp().ValidateItem(item, &result, nullptr, nullptr));
    next = (next + 1) % ids.size();
  }
  state.SetItemsProcessed(state.iterations());
  RemoveBenchTags(handles);
}
BENCHMARK(BM_ValidateItems)->ArgsProduct({{10000, 100000}, {0, 1}});

}  // namespace
