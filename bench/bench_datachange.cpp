// Values on their way to OPC DA 2.0 clients. Ten in-process clients, each with
// one active group of 10,000 items (update rate 100 ms, server rate 10 ms) and
// an IOPCDataCallback sink, while the measured thread updates every tag as
// fast as it can: the host's UpdateTag rate and the items the sinks receive
// per second. Beside it, in the same run, the least work either must do: the
// same updates with no client subscribed, and copying one item's value into a
// delivery's arrays. Then the latency from UpdateTag to OnDataChange for one
// item of a rate-0 group, beside the same road without the wait for the
// worker's pulse (UpdateTag, then a forced scan on the same thread).
#include "BenchTagNames.h"
#include "BenchClient.h"
#include "support/HostCalls.h"

#include "platform/IOPCDataCallback.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kClients = 10;
constexpr size_t kItems = 10000;
constexpr DWORD kGroupRate = 100;
constexpr UINT kServerRate = 10;
constexpr WORD kGood = 0xC0;

// Arguments: clients subscribed (0 for the least work of the updates alone).
void HostUpdatesEveryTag(benchmark::State& state) {
  StartBenchServer();
  std::vector<std::string> names = BenchTagNames(kItems);
  const std::vector<DWORD> handles = CreateBenchTags(names, true);
  std::vector<std::unique_ptr<BenchClient>> clients;
  for (int c = 0; c < state.range(0); ++c) clients.push_back(std::make_unique<BenchClient>(names, kGroupRate));
  auto delivered = [&] {
    uint64_t items = 0;
    for (const auto& client : clients) items += client->sink.items;
    return items;
  };
  const uint64_t before = delivered();
  float value = 0.0f;
  for (auto _ : state) {
    value += 1.0f;
    for (DWORD handle : handles) UpdateTag(handle, MakeR4(value), kGood);
  }
  state.SetItemsProcessed(state.iterations() * handles.size());
  state.counters["deliveries_per_s"] =
      benchmark::Counter(static_cast<double>(delivered() - before), benchmark::Counter::kIsRate);
  clients.clear();
  RemoveBenchTags(handles);
}

// The least work of one delivered item: its value copied into the arrays
// handed to the sink, and cleared after the call.
void CopyItemValueIntoDeliveryArrays(benchmark::State& state) {
  VARIANT source = MakeR4(1.5f);
  std::vector<VARIANT> values(kItems);
  for (auto _ : state) {
    for (VARIANT& value : values) {
      VariantInit(&value);
      VariantCopy(&value, &source);
    }
    benchmark::DoNotOptimize(values.data());
    for (VARIANT& value : values) VariantClear(&value);
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}

// Arguments: the worker's pulse delivers (0), or a forced scan on the
// updating thread does (1, the road without the wait).
void UpdateToOnDataChangeLatency(benchmark::State& state) {
  StartBenchServer();
  std::vector<std::string> names = BenchTagNames(1);
  const std::vector<DWORD> handles = CreateBenchTags(names, false);
  BenchClient client(names, 0);
  const bool forced = state.range(0) != 0;
  std::vector<double> micros;
  float value = 0.0f;
  // Updates come at random points of the pulse period, not right after a delivery.
  std::minstd_rand random(7);
  std::uniform_int_distribution<int> offset(0, static_cast<int>(kServerRate) * 1000);
  for (auto _ : state) {
    if (!forced) {
      state.PauseTiming();
      std::this_thread::sleep_for(std::chrono::microseconds(offset(random)));
      state.ResumeTiming();
    }
    value += 1.0f;
    const auto start = std::chrono::steady_clock::now();
    UpdateTag(handles[0], MakeR4(value), kGood);
    if (forced) RefreshAllClients();
    while (client.sink.lastValue.load() != value) std::this_thread::yield();
    micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(micros.begin(), micros.end());
  if (!micros.empty()) {
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
  }
  RemoveBenchTags(handles);
}

BENCHMARK(HostUpdatesEveryTag)->Arg(0)->Arg(kClients)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(CopyItemValueIntoDeliveryArrays)->Unit(benchmark::kMicrosecond);
BENCHMARK(UpdateToOnDataChangeLatency)->Arg(0)->Iterations(500)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(UpdateToOnDataChangeLatency)->Arg(1)->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
