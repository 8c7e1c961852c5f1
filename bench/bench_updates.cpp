// Host updates by handle and by name at 1k, 10k and 100k tags, in creation
// order and in a shuffled order, each beside the same updates of a plain
// vector of records (LimitTagDatabase); batches of 256 beside the same records
// updated under one hold of the mutex. Also, without a limit: updates while a
// second thread updates other tags, and updates with every level alarm enabled.
#include "BenchTagNames.h"
#include "TagRecordLimit.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

namespace {

constexpr size_t kBatchSize = 256;
constexpr WORD kGood = 0xC0;

// The toolkit's tags of one run (hash index on) with the visiting order;
// arguments: tag count, order (0 creation, 1 shuffled).
class TagRun {
 public:
  explicit TagRun(const benchmark::State& state)
      : names_(BenchTagNames(static_cast<size_t>(state.range(0)))),
        handles_(CreateBenchTags(names_, true)),
        order_(VisitOrder(names_.size(), state.range(1) != 0)) {}
  ~TagRun() { RemoveBenchTags(handles_); }

  size_t Count() const { return order_.size(); }
  DWORD Handle(size_t visit) const { return handles_[order_[visit]]; }
  char* Name(size_t visit) { return names_[order_[visit]].data(); }

 private:
  std::vector<std::string> names_;
  std::vector<DWORD> handles_;
  std::vector<uint32_t> order_;
};

// The same tags as records of the limit.
class LimitRun {
 public:
  explicit LimitRun(const benchmark::State& state)
      : names_(BenchTagNames(static_cast<size_t>(state.range(0)))),
        order_(VisitOrder(names_.size(), state.range(1) != 0)) {
    records_.Reserve(names_.size());
    for (const std::string& name : names_) records_.Create(name, R4Value(0.0f), kGood);
  }
  ~LimitRun() { records_.Clear(); }

  size_t Count() const { return order_.size(); }
  size_t Index(size_t visit) const { return order_[visit]; }
  const std::string& Name(size_t visit) const { return names_[order_[visit]]; }
  LimitTagDatabase& Records() { return records_; }

 private:
  std::vector<std::string> names_;
  std::vector<uint32_t> order_;
  LimitTagDatabase records_;
};

// Updates the run's tags one after the other in its order, with `update` (visit, value).
template <class Update>
void UpdateEach(benchmark::State& state, size_t count, Update update) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(update(i, R4Value(static_cast<float>(i))));
    if (++i == count) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_UpdateTag(benchmark::State& state) {
  TagRun run(state);
  UpdateEach(state, run.Count(), [&](size_t i, const VARIANT& v) { return UpdateTag(run.Handle(i), v, kGood); });
}

void BM_UpdateTag_Limit(benchmark::State& state) {
  LimitRun run(state);
  UpdateEach(state, run.Count(), [&](size_t i, const VARIANT& v) { return run.Records().Update(run.Index(i), v, kGood); });
}

void BM_UpdateTagByName(benchmark::State& state) {
  TagRun run(state);
  UpdateEach(state, run.Count(), [&](size_t i, const VARIANT& v) { return UpdateTagByName(run.Name(i), v, kGood); });
}

void BM_UpdateTagByName_Limit(benchmark::State& state) {
  LimitRun run(state);
  UpdateEach(state, run.Count(),
             [&](size_t i, const VARIANT& v) { return run.Records().UpdateByName(run.Name(i), v, kGood); });
}

void BM_UpdateInBatches(benchmark::State& state) {
  TagRun run(state);
  size_t i = 0;
  for (auto _ : state) {
    StartUpdateTags();
    for (size_t n = 0; n < kBatchSize; ++n, i = i + 1 < run.Count() ? i + 1 : 0) {
      UpdateTagToList(run.Handle(i), R4Value(static_cast<float>(i)), kGood);
    }
    EndUpdateTags();
  }
  state.SetItemsProcessed(state.iterations() * kBatchSize);
}

// A batch's least work: the records updated one after the other, each with
// its own clock call, under one hold of the mutex (recursive, as the batch's
// lock is taken again by each update).
void BM_UpdateInBatches_Limit(benchmark::State& state) {
  LimitRun run(state);
  std::recursive_mutex batchLock;
  size_t i = 0;
  for (auto _ : state) {
    std::lock_guard<std::recursive_mutex> hold(batchLock);
    for (size_t n = 0; n < kBatchSize; ++n, i = i + 1 < run.Count() ? i + 1 : 0) {
      run.Records().Update(run.Index(i), R4Value(static_cast<float>(i)), kGood);
    }
  }
  state.SetItemsProcessed(state.iterations() * kBatchSize);
}

const std::vector<std::vector<int64_t>> kSizesAndOrders = {{1000, 10000, 100000}, {0, 1}};
BENCHMARK(BM_UpdateTag)->ArgsProduct(kSizesAndOrders);
BENCHMARK(BM_UpdateTag_Limit)->ArgsProduct(kSizesAndOrders);
BENCHMARK(BM_UpdateTagByName)->ArgsProduct(kSizesAndOrders);
BENCHMARK(BM_UpdateTagByName_Limit)->ArgsProduct(kSizesAndOrders);
BENCHMARK(BM_UpdateInBatches)->ArgsProduct({{100000}, {0, 1}});
BENCHMARK(BM_UpdateInBatches_Limit)->ArgsProduct({{100000}, {0, 1}});

// The tags of one run: the measured thread updates the first half; with
// contention, a second thread keeps updating the other half meanwhile.
// Arguments: tag count, second updating thread off (0) or on (1).
class ContendedRun {
 public:
  explicit ContendedRun(const benchmark::State& state)
      : names_(BenchTagNames(static_cast<size_t>(state.range(0)))), handles_(CreateBenchTags(names_, true)) {
    half_ = handles_.size() / 2;
    if (state.range(1) != 0) background_ = std::thread([this] { UpdateOtherHalf(); });
  }
  ~ContendedRun() {
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

 private:
  void UpdateOtherHalf() {
    for (size_t i = half_; !stop_; i = i + 1 < handles_.size() ? i + 1 : half_) {
      UpdateTag(handles_[i], R4Value(static_cast<float>(i)), kGood);
    }
  }

  std::vector<std::string> names_;
  std::vector<DWORD> handles_;
  size_t half_ = 0;
  std::atomic<bool> stop_{false};
  std::thread background_;
};

void BM_UpdateTagContended(benchmark::State& state) {
  ContendedRun run(state);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(UpdateTag(run.Handle(i), R4Value(static_cast<float>(i)), kGood));
    i = (i + 1) % run.Count();
  }
  state.SetItemsProcessed(state.iterations());
}

// Each pass over the tags raises their value by one, sweeping 0 to 99, so a
// tag changes its alarm level (and an event is built and broadcast to no
// subscription) on 8 of every 100 passes; the other updates only evaluate.
void BM_UpdateTagWithLevelAlarms(benchmark::State& state) {
  ContendedRun run(state);
  run.EnableLevelAlarms();
  size_t n = 0;
  for (auto _ : state) {
    const float value = static_cast<float>(n / run.Count() % 100);
    benchmark::DoNotOptimize(UpdateTag(run.Handle(n % run.Count()), R4Value(value), kGood));
    ++n;
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_UpdateTagContended)->Args({100000, 1})->UseRealTime();
BENCHMARK(BM_UpdateTagWithLevelAlarms)->Args({100000, 0})->UseRealTime();

}  // namespace
