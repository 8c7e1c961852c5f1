// Host updates by handle, by name and in batches of 256, alone and while a
// second thread updates other tags; updates by handle also with every tag's
// level alarms enabled.
#include "BenchTagNames.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

namespace {

constexpr size_t kBatchSize = 256;
constexpr WORD kGood = 0xC0;

VARIANT R4(float value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R4;
  v.fltVal = value;
  return v;
}

// The tags of one run: the measured thread updates the first half; with
// contention, a second thread keeps updating the other half meanwhile.
class UpdateRun {
 public:
  explicit UpdateRun(const benchmark::State& state)
      : names_(BenchTagNames(static_cast<size_t>(state.range(0)))), handles_(CreateBenchTags(names_, true)) {
    half_ = handles_.size() / 2;
    if (state.range(1) != 0) background_ = std::thread([this] { UpdateOtherHalf(); });
  }
  ~UpdateRun() {
    stop_ = true;
    if (background_.joinable()) background_.join();
    RemoveBenchTags(handles_);
  }

  // Enables all four level alarms of every tag: LoLo 10, Lo 20, Hi 80, HiHi 90.
  void EnableLevelAlarms() {
    const float limits[] = {10.0f, 20.0f, 80.0f, 90.0f};
    for (DWORD handle : handles_) {
      for (int alarm = 1; alarm <= 4; ++alarm) SetItemLevelAlarm(handle, alarm, limits[alarm - 1], 500, TRUE);
    }
  }

  size_t Count() const { return half_; }
  DWORD Handle(size_t i) const { return handles_[i]; }
  std::string& Name(size_t i) { return names_[i]; }

 private:
  void UpdateOtherHalf() {
    for (size_t i = half_; !stop_; i = i + 1 < handles_.size() ? i + 1 : half_) {
      UpdateTag(handles_[i], R4(static_cast<float>(i)), kGood);
    }
  }

  std::vector<std::string> names_;
  std::vector<DWORD> handles_;
  size_t half_ = 0;
  std::atomic<bool> stop_{false};
  std::thread background_;
};

// Arguments: tag count, second updating thread off (0) or on (1).
void UpdateByHandle(benchmark::State& state) {
  UpdateRun run(state);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(UpdateTag(run.Handle(i), R4(static_cast<float>(i)), kGood));
    i = (i + 1) % run.Count();
  }
  state.SetItemsProcessed(state.iterations());
}

// Each pass over the tags raises their value by one, sweeping 0 to 99, so a
// tag changes its alarm level (and an event is built and broadcast to no
// subscription) on 8 of every 100 passes; the other updates only evaluate.
void UpdateByHandleWithLevelAlarms(benchmark::State& state) {
  UpdateRun run(state);
  run.EnableLevelAlarms();
  size_t n = 0;
  for (auto _ : state) {
    const float value = static_cast<float>(n / run.Count() % 100);
    benchmark::DoNotOptimize(UpdateTag(run.Handle(n % run.Count()), R4(value), kGood));
    ++n;
  }
  state.SetItemsProcessed(state.iterations());
}

void UpdateByName(benchmark::State& state) {
  UpdateRun run(state);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(UpdateTagByName(run.Name(i).data(), R4(static_cast<float>(i)), kGood));
    i = (i + 1) % run.Count();
  }
  state.SetItemsProcessed(state.iterations());
}

void UpdateInBatches(benchmark::State& state) {
  UpdateRun run(state);
  size_t i = 0;
  for (auto _ : state) {
    StartUpdateTags();
    for (size_t n = 0; n < kBatchSize; ++n, i = (i + 1) % run.Count()) {
      UpdateTagToList(run.Handle(i), R4(static_cast<float>(i)), kGood);
    }
    EndUpdateTags();
  }
  state.SetItemsProcessed(state.iterations() * kBatchSize);
}

const std::vector<std::vector<int64_t>> kRuns = {{1000, 10000, 100000}, {0, 1}};
BENCHMARK(UpdateByHandle)->ArgsProduct(kRuns)->UseRealTime();
BENCHMARK(UpdateByHandleWithLevelAlarms)->ArgsProduct(kRuns)->UseRealTime();
BENCHMARK(UpdateByName)->ArgsProduct(kRuns)->UseRealTime();
BENCHMARK(UpdateInBatches)->ArgsProduct(kRuns)->UseRealTime();

}  // namespace
