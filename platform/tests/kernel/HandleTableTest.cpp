#include "platform/handletable.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace {
struct Record {
  int value;
};
}  // namespace

TEST(HandleTable, StaleAndUnknownHandlesFindNothing) {
  HandleTable<Record> table;
  Record a{1}, b{2}, c{3};
  const DWORD ha = table.Add(&a);
  const DWORD hb = table.Add(&b);
  ASSERT_NE(ha, hb);
  EXPECT_EQ(table.Lookup(hb), &b);

  EXPECT_EQ(table.Remove(hb), &b);
  EXPECT_EQ(table.Lookup(hb), nullptr);
  EXPECT_EQ(table.Remove(hb), nullptr);
  const DWORD hc = table.Add(&c);
  EXPECT_NE(hc, hb);  // the removed handle is not handed out again soon
  EXPECT_EQ(table.Lookup(hb), nullptr);
  EXPECT_EQ(table.Lookup(hc), &c);
  EXPECT_EQ(table.Lookup(ha), &a);
  EXPECT_EQ(table.Count(), 2u);

  EXPECT_EQ(table.Add(nullptr), 0u);
  EXPECT_EQ(table.Lookup(0), nullptr);
  EXPECT_EQ(table.Lookup(0xFFFFFFFF), nullptr);
}

TEST(HandleTable, WrapAroundSkipsTheReservedValues) {
  HandleTable<Record> table(0xFFFFFFFC);
  Record records[4] = {};
  std::vector<DWORD> handles;
  for (Record& record : records) handles.push_back(table.Add(&record));
  EXPECT_EQ(handles, (std::vector<DWORD>{0xFFFFFFFD, 0xFFFFFFFE, 1, 2}));
}

TEST(HandleTable, ConcurrentUseKeepsHandlesUnique) {
  HandleTable<Record> table;
  std::mutex seenLock;
  std::set<DWORD> seen;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      std::vector<Record> records(500);
      std::vector<DWORD> handles;
      for (Record& record : records) handles.push_back(table.Add(&record));
      for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(table.Lookup(handles[i]), &records[i]);
        EXPECT_EQ(table.Remove(handles[i]), &records[i]);
      }
      std::lock_guard<std::mutex> guard(seenLock);
      seen.insert(handles.begin(), handles.end());
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(seen.size(), 2000u);
  EXPECT_EQ(table.Count(), 0u);
}
