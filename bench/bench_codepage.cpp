// Names through the ANSI code page (GBK) as client lookups convert them, each
// beside the least work: copying the units one by one, as a byte-per-unit
// conversion did. And a filtered flat browse, which widens every tag name,
// beside matching names that are wide already.
#include "BenchTagNames.h"
#include "app/CVorlixApp.h"
#include "tags/MatchPattern.h"

#include "platform/widetext.h"

#include <benchmark/benchmark.h>

namespace {

const std::u16string kAsciiId = u"SN0042.Analog.Temperature17";
const std::u16string kChineseId = u"SN0042.模拟量.温度传感器17";

const std::u16string& IdFor(const benchmark::State& state) { return state.range(0) == 0 ? kAsciiId : kChineseId; }

// Argument: 0 an ASCII item ID, 1 one with Chinese components.
void NarrowItemId(benchmark::State& state) {
  const std::u16string& id = IdFor(state);
  for (auto _ : state) benchmark::DoNotOptimize(NarrowAnsi(id));
}
BENCHMARK(NarrowItemId)->Arg(0)->Arg(1);

void WidenItemId(benchmark::State& state) {
  const std::string bytes = NarrowAnsi(IdFor(state)).value();
  for (auto _ : state) benchmark::DoNotOptimize(WidenAnsi(bytes));
}
BENCHMARK(WidenItemId)->Arg(0)->Arg(1);

void CopyUnits(benchmark::State& state) {
  const std::u16string& id = IdFor(state);
  for (auto _ : state) {
    std::string copy;
    copy.reserve(id.size());
    for (char16_t unit : id) copy.push_back(static_cast<char>(unit));
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(CopyUnits)->Arg(0)->Arg(1);

// Argument: tag count.
void FlatBrowseWithFilter(benchmark::State& state) {
  std::vector<std::string> names = BenchTagNames(static_cast<size_t>(state.range(0)));
  const std::vector<DWORD> handles = CreateBenchTags(names, false);
  const std::vector<std::string> root;
  for (auto _ : state) {
    std::vector<std::string> listed;
    {
      ServerLock::Hold hold(VorlixApp().GetServerLock());
      VorlixApp().BrowseItemIDs(root, listed, OPC_FLAT, u"*7", VT_EMPTY, 0);
    }
    benchmark::DoNotOptimize(listed);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  RemoveBenchTags(handles);
}
BENCHMARK(FlatBrowseWithFilter)->Arg(10000);

void MatchWideNames(benchmark::State& state) {
  std::vector<std::u16string> names;
  for (const std::string& name : BenchTagNames(static_cast<size_t>(state.range(0)))) names.push_back(WidenAnsi(name));
  for (auto _ : state) {
    size_t matched = 0;
    for (const std::u16string& name : names) matched += MatchPattern(name.c_str(), u"*7", TRUE);
    benchmark::DoNotOptimize(matched);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(MatchWideNames)->Arg(10000);

}  // namespace
