#include "platform/criticalsection.h"
#include "platform/interlocked.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace {

template <class Body>
void RunOnThreads(int count, Body body) {
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i) threads.emplace_back(body);
  for (std::thread& thread : threads) thread.join();
}

BOOL TryEnterOnOtherThread(CRITICAL_SECTION* section) {
  BOOL entered = FALSE;
  std::thread other([&] {
    entered = TryEnterCriticalSection(section);
    if (entered) LeaveCriticalSection(section);
  });
  other.join();
  return entered;
}

}  // namespace

TEST(CriticalSection, OwnerEntersAgainOthersWaitUntilTheLastLeave) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  EXPECT_FALSE(TryEnterOnOtherThread(&section));
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  EXPECT_FALSE(TryEnterOnOtherThread(&section));
  LeaveCriticalSection(&section);
  EXPECT_TRUE(TryEnterOnOtherThread(&section));
  DeleteCriticalSection(&section);
}

TEST(CriticalSection, GuardsSharedDataAcrossThreads) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  long shared = 0;
  RunOnThreads(4, [&] {
    for (int i = 0; i < 2000; ++i) {
      EnterCriticalSection(&section);
      ++shared;
      LeaveCriticalSection(&section);
    }
  });
  EXPECT_EQ(shared, 8000);
  DeleteCriticalSection(&section);
}

TEST(Interlocked, ReturnsTheDocumentedValues) {
  volatile LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 9), 5);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 8), 9);  // no match: unchanged
  EXPECT_EQ(value, 9);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 9), 9);
  EXPECT_EQ(value, 1);
  volatile LONG largest = 0x7FFFFFFF;
  EXPECT_EQ(InterlockedIncrement(&largest), static_cast<LONG>(0x80000000));
}

TEST(Interlocked, EveryIncrementIsSeenOnce) {
  volatile LONG counter = 0;
  std::mutex seenLock;
  std::set<LONG> seen;
  RunOnThreads(4, [&] {
    std::vector<LONG> mine;
    for (int i = 0; i < 2000; ++i) mine.push_back(InterlockedIncrement(&counter));
    std::lock_guard<std::mutex> guard(seenLock);
    seen.insert(mine.begin(), mine.end());
  });
  EXPECT_EQ(seen.size(), 8000u);
  EXPECT_EQ(*seen.rbegin(), 8000);
  RunOnThreads(4, [&] {
    for (int i = 0; i < 2000; ++i) InterlockedDecrement(&counter);
  });
  EXPECT_EQ(InterlockedCompareExchange(&counter, 0, 0), 0);
}
