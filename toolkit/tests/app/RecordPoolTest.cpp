#include "app/RecordPool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace {

struct Record final : PooledRecord<Record> {
  explicit Record(int v) : value(v) {}
  int value;
  char payload[60];
};

TEST(RecordPoolTest, RecordsAreDistinctAlignedAndReusedAfterFree) {
  RecordPoolBase pool(100);
  std::vector<void*> records;
  std::set<void*> distinct;
  // Past the first chunks, so that several chunks are in use.
  for (int i = 0; i < 1000; ++i) {
    records.push_back(pool.Allocate());
    distinct.insert(records.back());
    // No record overlaps the previous one of its chunk.
    std::memset(records.back(), i & 0xFF, 100);
  }
  EXPECT_EQ(distinct.size(), records.size());
  EXPECT_EQ(pool.InUse(), records.size());
  EXPECT_EQ(reinterpret_cast<uintptr_t>(records.front()) % 64, 0u);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(static_cast<unsigned char*>(records[i])[99], i & 0xFF);

  pool.Free(records[10]);
  pool.Free(records[20]);
  EXPECT_EQ(pool.InUse(), records.size() - 2);
  // Freed records come back before fresh memory is taken.
  const std::set<void*> again = {pool.Allocate(), pool.Allocate()};
  EXPECT_EQ(again, (std::set<void*>{records[10], records[20]}));
  records[10] = nullptr;
  records[20] = nullptr;
  for (void* record : records) {
    if (record != nullptr) pool.Free(record);
  }
  for (void* record : again) pool.Free(record);
  EXPECT_EQ(pool.InUse(), 0u);
}

TEST(RecordPoolTest, PooledTypesUseTheirNewAndDeleteIncludingNothrow) {
  auto record = std::make_unique<Record>(7);
  std::unique_ptr<Record> spared(new (std::nothrow) Record(8));
  ASSERT_NE(spared, nullptr);
  EXPECT_EQ(record->value + spared->value, 15);
  EXPECT_NE(record.get(), spared.get());
}

TEST(RecordPoolTest, ThreadsAllocatingAndFreeingAtOnceGetDistinctRecords) {
  RecordPoolBase pool(48);
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&pool, t] {
      std::vector<int*> mine;
      for (int round = 0; round < kRounds; ++round) {
        int* record = static_cast<int*>(pool.Allocate());
        *record = t;
        mine.push_back(record);
        if (round % 3 == 2) {
          // A record shared with another thread would have been overwritten.
          for (int* held : mine) ASSERT_EQ(*held, t);
          pool.Free(mine.back());
          mine.pop_back();
        }
      }
      for (int* held : mine) pool.Free(held);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(pool.InUse(), 0u);
}

}  // namespace
