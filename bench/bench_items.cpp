// Client items and their tags: what an update, a delivery, item bookkeeping
// and tag creation cost while ten in-process clients each hold one group over
// the same 10,000 tags, and the memory one client item takes. Each figure is
// measured beside the least work it must do, in the same run:
// - updates: the same updates of tags no client names, plus copying the value
//   into as many item records (value, last value that counted, quality, time)
//   as clients name the tag;
// - deliveries: the changed values copied into task-allocated per-item arrays;
// - AddItems, RemoveItems, RemoveGroup: a hash lookup of the name, a record
//   made or freed and entered in or taken from its tag's list of items;
// - CreateTag: the same creations with no client subscribed.
#include "BenchClient.h"
#include "BenchTagNames.h"
#include "app/RecordPool.h"
#include "da/group/OPCGroupItem.h"
#include "support/HostCalls.h"

#include "platform/taskmemory.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kClients = 10;
constexpr size_t kItems = 10000;
// Long enough that no unforced delivery runs while a figure is measured.
constexpr DWORD kQuietRate = 600000;
// The measured client's group is faster than the others', so its items
// leaving makes every tag's fastest client rate be found again.
constexpr DWORD kFastRate = 100;
constexpr DWORD kOtherRate = 1000;
constexpr WORD kGood = 0xC0;

// Tags over the bench names, each named by an item of every client.
class SubscribedTags {
 public:
  SubscribedTags(int clients, DWORD rate, bool advise = false)
      : names_(BenchTagNames(kItems)), handles_((StartBenchServer(), CreateBenchTags(names_, true))) {
    for (int c = 0; c < clients; ++c) clients_.push_back(std::make_unique<BenchClient>(names_, rate, advise));
  }
  ~SubscribedTags() {
    clients_.clear();
    RemoveBenchTags(handles_);
  }
  SubscribedTags(const SubscribedTags&) = delete;
  SubscribedTags& operator=(const SubscribedTags&) = delete;

  std::vector<std::string>& Names() { return names_; }
  std::vector<DWORD>& Handles() { return handles_; }
  uint64_t Delivered() const {
    uint64_t items = 0;
    for (const auto& client : clients_) items += client->sink.items;
    return items;
  }

 private:
  std::vector<std::string> names_;
  std::vector<DWORD> handles_;
  std::vector<std::unique_ptr<BenchClient>> clients_;
};

double Seconds(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void UpdateEveryTag(const std::vector<DWORD>& handles, float value) {
  for (DWORD handle : handles) UpdateTag(handle, MakeR4(value), kGood);
}

// Arguments: clients subscribed.
void BM_UpdateTagSubscribed(benchmark::State& state) {
  SubscribedTags tags(static_cast<int>(state.range(0)), kQuietRate);
  float value = 0.0f;
  for (auto _ : state) UpdateEveryTag(tags.Handles(), value += 1.0f);
  state.SetItemsProcessed(state.iterations() * kItems);
}

// What an item keeps of its tag's value.
struct ItemValueRecord {
  ItemValueRecord() {
    VariantInit(&value);
    VariantInit(&reference);
  }
  VARIANT value;
  VARIANT reference;
  WORD quality = 0;
  FILETIME timestamp = {0, 0};
  BOOL changed = FALSE;
};

void BM_UpdateTagSubscribed_Limit(benchmark::State& state) {
  SubscribedTags tags(0, kQuietRate);
  const size_t perTag = static_cast<size_t>(state.range(0));
  std::vector<ItemValueRecord> records(kItems * perTag);
  const FILETIME now = {1, 2};
  float value = 0.0f;
  for (auto _ : state) {
    value += 1.0f;
    const VARIANT tagValue = MakeR4(value);
    for (size_t t = 0; t < kItems; ++t) {
      UpdateTag(tags.Handles()[t], tagValue, kGood);
      for (size_t i = t * perTag; i < (t + 1) * perTag; ++i) {
        ItemValueRecord& record = records[i];
        record.timestamp = now;
        const bool counts = record.quality != kGood || record.reference.fltVal != tagValue.fltVal;
        VariantCopy(&record.value, &tagValue);
        record.quality = kGood;
        if (counts) {
          record.changed = TRUE;
          VariantCopy(&record.reference, &record.value);
        }
      }
    }
    benchmark::DoNotOptimize(records.data());
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}

// Every tag updated (not measured), then one forced scan of every client on
// this thread delivers the changed items through OnDataChange. Besides the
// rate, the process's CPU time per delivered item and the cores it kept busy
// meanwhile (the clients' workers included). Arguments: clients subscribed.
void BM_OnDataChangeDelivery(benchmark::State& state) {
  SubscribedTags tags(static_cast<int>(state.range(0)), kQuietRate, true);
  RefreshAllClients();
  const uint64_t before = tags.Delivered();
  double cpuSeconds = 0.0;
  double realSeconds = 0.0;
  float value = 0.0f;
  for (auto _ : state) {
    state.PauseTiming();
    UpdateEveryTag(tags.Handles(), value += 1.0f);
    const double cpuStart = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    const double realStart = Seconds(CLOCK_MONOTONIC);
    state.ResumeTiming();
    RefreshAllClients();
    cpuSeconds += Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
    realSeconds += Seconds(CLOCK_MONOTONIC) - realStart;
  }
  const double delivered = static_cast<double>(tags.Delivered() - before);
  state.SetItemsProcessed(static_cast<int64_t>(delivered));
  if (delivered > 0 && realSeconds > 0) {
    state.counters["cpu_ns_per_item"] = cpuSeconds * 1e9 / delivered;
    state.counters["cores"] = cpuSeconds / realSeconds;
  }
}

template <class T>
T* TaskAlloc(size_t count) {
  return static_cast<T*>(CoTaskMemAlloc(count * sizeof(T)));
}

void BM_OnDataChangeDelivery_Limit(benchmark::State& state) {
  const size_t groups = static_cast<size_t>(state.range(0));
  std::vector<ItemValueRecord> items(kItems);
  for (ItemValueRecord& item : items) item.value = MakeR4(1.5f);
  for (auto _ : state) {
    for (size_t g = 0; g < groups; ++g) {
      OPCHANDLE* handles = TaskAlloc<OPCHANDLE>(kItems);
      VARIANT* values = TaskAlloc<VARIANT>(kItems);
      WORD* qualities = TaskAlloc<WORD>(kItems);
      FILETIME* times = TaskAlloc<FILETIME>(kItems);
      HRESULT* errors = TaskAlloc<HRESULT>(kItems);
      for (size_t i = 0; i < kItems; ++i) {
        handles[i] = static_cast<OPCHANDLE>(i);
        VariantInit(&values[i]);
        VariantCopy(&values[i], &items[i].value);
        qualities[i] = items[i].quality;
        times[i] = items[i].timestamp;
        errors[i] = S_OK;
        items[i].changed = FALSE;
      }
      benchmark::DoNotOptimize(values);
      for (size_t i = 0; i < kItems; ++i) VariantClear(&values[i]);
      CoTaskMemFree(handles);
      CoTaskMemFree(values);
      CoTaskMemFree(qualities);
      CoTaskMemFree(times);
      CoTaskMemFree(errors);
    }
  }
  state.SetItemsProcessed(state.iterations() * groups * kItems);
}

// A client beside the subscribed ones whose group comes and goes.
class MeasuredClient {
 public:
  explicit MeasuredClient(const std::vector<std::string>& names) {
    client_.Connect();
    for (const std::string& name : names) definitions_.push_back(std::make_unique<ItemDefinition>("", name));
    for (size_t i = 0; i < definitions_.size(); ++i) {
      raw_.push_back(definitions_[i]->Get());
      raw_.back().hClient = static_cast<OPCHANDLE>(i);
    }
  }

  ~MeasuredClient() { DropGroup(); }
  MeasuredClient(const MeasuredClient&) = delete;
  MeasuredClient& operator=(const MeasuredClient&) = delete;

  void MakeGroup() {
    OpcTestGroup::Options options;
    options.rate = kFastRate;
    group_ = std::make_unique<OpcTestGroup>(client_.OpcServer(), nullptr, options);
  }
  // AddItems for every name; the server handles are kept.
  void AddItems() {
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    group_->Items()->AddItems(static_cast<DWORD>(raw_.size()), raw_.data(), &results, &errors);
    handles_.clear();
    for (size_t i = 0; i < raw_.size(); ++i) handles_.push_back(results[i].hServer);
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
  }
  HRESULT* RemoveItems() {
    HRESULT* errors = nullptr;
    group_->Items()->RemoveItems(static_cast<DWORD>(handles_.size()), handles_.data(), &errors);
    return errors;
  }
  // The client lets go of the group, which stays listed.
  OPCHANDLE ReleaseGroup() {
    const OPCHANDLE handle = group_->ServerHandle();
    group_->Release();
    return handle;
  }
  // Removes the group the client let go of.
  void RemoveGroup(OPCHANDLE handle) {
    client_.OpcServer()->RemoveGroup(handle, FALSE);
    group_.reset();
  }
  void DropGroup() {
    if (group_ != nullptr) RemoveGroup(ReleaseGroup());
  }

 private:
  OpcTestClient client_;
  std::vector<std::unique_ptr<ItemDefinition>> definitions_;
  std::vector<OPCITEMDEF> raw_;
  std::vector<OPCHANDLE> handles_;
  std::unique_ptr<OpcTestGroup> group_;
};

// Arguments for the three: clients on the tags, the measured one included.
void BM_AddItems(benchmark::State& state) {
  SubscribedTags tags(static_cast<int>(state.range(0)) - 1, kOtherRate);
  MeasuredClient client(tags.Names());
  for (auto _ : state) {
    state.PauseTiming();
    client.MakeGroup();
    state.ResumeTiming();
    client.AddItems();
    state.PauseTiming();
    client.DropGroup();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}

void BM_RemoveItems(benchmark::State& state) {
  SubscribedTags tags(static_cast<int>(state.range(0)) - 1, kOtherRate);
  MeasuredClient client(tags.Names());
  for (auto _ : state) {
    state.PauseTiming();
    client.MakeGroup();
    client.AddItems();
    state.ResumeTiming();
    HRESULT* errors = client.RemoveItems();
    state.PauseTiming();
    CoTaskMemFree(errors);
    client.DropGroup();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}

void BM_RemoveGroup(benchmark::State& state) {
  SubscribedTags tags(static_cast<int>(state.range(0)) - 1, kOtherRate);
  MeasuredClient client(tags.Names());
  for (auto _ : state) {
    state.PauseTiming();
    client.MakeGroup();
    client.AddItems();
    const OPCHANDLE handle = client.ReleaseGroup();
    state.ResumeTiming();
    client.RemoveGroup(handle);
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}

// The least bookkeeping of client items: tags found by name, each keeping the
// list of its items, items found by handle, each a record of the size an item
// may take.
class LeastItemBookkeeping {
 public:
  LeastItemBookkeeping(const std::vector<std::string>& names, int otherClients) {
    for (const std::string& name : names) tags_[name].assign(static_cast<size_t>(otherClients), nullptr);
  }
  ~LeastItemBookkeeping() { RemoveGroup(); }

  void AddItems(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      std::vector<Item*>& tagItems = tags_.find(name)->second;
      Item* item = new Item;
      VariantInit(&item->value);
      item->tagItems = &tagItems;
      item->handle = ++lastHandle_;
      tagItems.push_back(item);
      byHandle_.emplace(item->handle, item);
      group_.push_back(item);
    }
  }
  void RemoveItems() {
    for (const Item* named : group_) {
      const auto entry = byHandle_.find(named->handle);
      Item* item = entry->second;
      byHandle_.erase(entry);
      Unlist(item);
    }
    group_.clear();
  }
  void RemoveGroup() {
    for (Item* item : group_) Unlist(item);
    group_.clear();
    byHandle_.clear();
  }

 private:
  struct Item {
    VARIANT value;
    std::vector<Item*>* tagItems;
    OPCHANDLE handle;
    char rest[160 - sizeof(VARIANT) - sizeof(void*) - sizeof(OPCHANDLE)];
  };

  static void Unlist(Item* item) {
    std::vector<Item*>& tagItems = *item->tagItems;
    tagItems.erase(std::find(tagItems.begin(), tagItems.end(), item));
    VariantClear(&item->value);
    delete item;
  }

  std::unordered_map<std::string, std::vector<Item*>> tags_;
  std::unordered_map<OPCHANDLE, Item*> byHandle_;
  std::vector<Item*> group_;
  OPCHANDLE lastHandle_ = 0;
};

void BM_AddItems_Limit(benchmark::State& state) {
  const std::vector<std::string> names = BenchTagNames(kItems);
  LeastItemBookkeeping least(names, static_cast<int>(state.range(0)) - 1);
  for (auto _ : state) {
    least.AddItems(names);
    state.PauseTiming();
    least.RemoveGroup();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}

// Items added (not measured), then taken out by `remove`.
void RemoveLeast(benchmark::State& state, void (LeastItemBookkeeping::*remove)()) {
  const std::vector<std::string> names = BenchTagNames(kItems);
  LeastItemBookkeeping least(names, static_cast<int>(state.range(0)) - 1);
  for (auto _ : state) {
    state.PauseTiming();
    least.AddItems(names);
    state.ResumeTiming();
    (least.*remove)();
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}

void BM_RemoveItems_Limit(benchmark::State& state) { RemoveLeast(state, &LeastItemBookkeeping::RemoveItems); }
void BM_RemoveGroup_Limit(benchmark::State& state) { RemoveLeast(state, &LeastItemBookkeeping::RemoveGroup); }

// Every tag made again while the clients' items name it (the tags were
// removed under them, as when the host reloads its tags). Arguments: clients
// subscribed; the limit makes the same tags with none.
void CreateTagsAgain(benchmark::State& state, int clients) {
  SubscribedTags tags(clients, kQuietRate);
  RemoveBenchTags(tags.Handles());
  VARIANT value = MakeR4(0.0f);
  for (auto _ : state) {
    for (size_t i = 0; i < kItems; ++i) tags.Handles()[i] = CreateTag(tags.Names()[i].data(), value, kGood, TRUE);
    state.PauseTiming();
    RemoveBenchTags(tags.Handles());
    state.ResumeTiming();
  }
  for (size_t i = 0; i < kItems; ++i) tags.Handles()[i] = CreateTag(tags.Names()[i].data(), value, kGood, TRUE);
  state.SetItemsProcessed(state.iterations() * kItems);
}

void BM_CreateTagSubscribed(benchmark::State& state) { CreateTagsAgain(state, static_cast<int>(state.range(0))); }
void BM_CreateTagSubscribed_Limit(benchmark::State& state) { CreateTagsAgain(state, 0); }

// The heap one client item takes (allocator's bytes in use, chunk overhead
// included, blocks it maps on their own too), over 10 clients x 10,000 items,
// beside the target. Item records come from a pool that keeps the records
// freed before (by the benchmarks run earlier, say): it is grown beforehand to
// hold every record measured, and the records are counted at their size in
// the pool.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Pool records: as many as may be needed, made and freed again.
void GrowItemPool(size_t records) {
  std::vector<std::unique_ptr<OPCGroupItem>> made(records);
  for (auto& record : made) record = std::make_unique<OPCGroupItem>();
}

void BM_ClientItemMemory(benchmark::State& state) {
  SubscribedTags tags(0, kQuietRate);
  GrowItemPool(kClients * kItems);
  RecordPoolBase& pool = RecordPoolOf<OPCGroupItem>();
  constexpr size_t kPooledSize = (sizeof(OPCGroupItem) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                                 alignof(std::max_align_t);
  std::vector<std::unique_ptr<MeasuredClient>> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.push_back(std::make_unique<MeasuredClient>(tags.Names()));
    clients.back()->MakeGroup();
  }
  double perItem = 0.0;
  for (auto _ : state) {
    const size_t before = HeapInUse();
    const size_t recordsBefore = pool.InUse();
    for (auto& client : clients) client->AddItems();
    const size_t records = pool.InUse() - recordsBefore;
    perItem = static_cast<double>(HeapInUse() - before + records * kPooledSize) / (kClients * kItems);
  }
  for (auto& client : clients) client->DropGroup();
  state.counters["figure"] = perItem;
  state.counters["target"] = 160.0;
}

BENCHMARK(BM_UpdateTagSubscribed)->Arg(0)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateTagSubscribed_Limit)->Arg(0)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnDataChangeDelivery)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnDataChangeDelivery_Limit)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddItems)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddItems_Limit)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveItems)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveItems_Limit)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveGroup)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveGroup_Limit)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateTagSubscribed)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateTagSubscribed_Limit)->Arg(kClients)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClientItemMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
