// Creating tags with the hash index off and on, and resolving client items against them.
#include "BenchTagNames.h"
#include "app/CVorlixApp.h"

#include "platform/widetext.h"

#include <benchmark/benchmark.h>

namespace {

// Arguments: tag count, hash index off (0) or on (1).
void CreateTags(benchmark::State& state) {
  std::vector<std::string> names = BenchTagNames(static_cast<size_t>(state.range(0)));
  const bool hashed = state.range(1) != 0;
  for (auto _ : state) {
    const std::vector<DWORD> handles = CreateBenchTags(names, hashed);
    state.PauseTiming();
    RemoveBenchTags(handles);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(CreateTags)->ArgsProduct({{10000, 100000}, {0, 1}})->Unit(benchmark::kMillisecond);

void ValidateItems(benchmark::State& state) {
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
BENCHMARK(ValidateItems)->ArgsProduct({{10000, 100000}, {0, 1}});

}  // namespace
