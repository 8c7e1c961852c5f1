#include "platform/taskmemory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

TEST(TaskMemory, OneCountingAllocatorBehindEveryEntry) {
  IMalloc* malloc = nullptr;
  ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &malloc), S_OK);
  IMalloc* again = nullptr;
  ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &again), S_OK);
  EXPECT_EQ(malloc, again);
  void* queried = nullptr;
  EXPECT_EQ(malloc->QueryInterface(IID_IMalloc, &queried), S_OK);
  EXPECT_EQ(queried, malloc);
  EXPECT_EQ(malloc->QueryInterface(IID_IMarshal, &queried), E_NOINTERFACE);
  EXPECT_EQ(queried, nullptr);

  const size_t before = TaskMemoryLiveBlocks();
  void* empty = malloc->Alloc(0);
  void* ten = CoTaskMemAlloc(10);
  ASSERT_NE(empty, nullptr);
  ASSERT_NE(ten, nullptr);
  EXPECT_EQ(TaskMemoryLiveBlocks(), before + 2);
  EXPECT_EQ(malloc->GetSize(empty), 0u);
  EXPECT_EQ(malloc->GetSize(ten), 10u);
  EXPECT_EQ(malloc->DidAlloc(ten), 1);
  int notOurs = 0;
  EXPECT_EQ(malloc->DidAlloc(&notOurs), 0);
  EXPECT_EQ(malloc->DidAlloc(nullptr), -1);
  EXPECT_EQ(malloc->GetSize(nullptr), static_cast<SIZE_T>(-1));

  malloc->Free(ten);  // a block from CoTaskMemAlloc goes back through the interface
  CoTaskMemFree(empty);
  EXPECT_EQ(TaskMemoryLiveBlocks(), before);
  malloc->Release();
  again->Release();
  EXPECT_EQ(CoGetMalloc(0, &malloc), E_INVALIDARG);
  EXPECT_EQ(malloc, nullptr);
}

TEST(TaskMemory, ReallocMovesContentsAndFreesAtZero) {
  const size_t before = TaskMemoryLiveBlocks();
  char* block = static_cast<char*>(CoTaskMemRealloc(nullptr, 4));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "abc", 4);
  block = static_cast<char*>(CoTaskMemRealloc(block, 100000));
  ASSERT_NE(block, nullptr);
  EXPECT_STREQ(block, "abc");
  EXPECT_EQ(TaskMemoryLiveBlocks(), before + 1);
  EXPECT_EQ(CoTaskMemRealloc(block, 0), nullptr);
  EXPECT_EQ(TaskMemoryLiveBlocks(), before);
}

TEST(TaskMemory, FailureHookFailsExactlyTheNextAllocations) {
  void* kept = CoTaskMemAlloc(8);
  ASSERT_NE(kept, nullptr);
  const size_t before = TaskMemoryLiveBlocks();
  TaskMemoryFailNextAllocations(2);
  EXPECT_EQ(CoTaskMemAlloc(8), nullptr);
  EXPECT_EQ(CoTaskMemRealloc(kept, 64), nullptr);  // the old block stays as it was
  void* third = CoTaskMemAlloc(8);
  EXPECT_NE(third, nullptr);
  EXPECT_EQ(TaskMemoryLiveBlocks(), before + 1);

  IMalloc* malloc = nullptr;
  ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &malloc), S_OK);
  EXPECT_EQ(malloc->GetSize(kept), 8u);
  malloc->Release();
  CoTaskMemFree(third);
  CoTaskMemFree(kept);
}

TEST(TaskMemory, StrayAndRepeatedFreesAreIgnored) {
  const size_t before = TaskMemoryLiveBlocks();
  void* block = CoTaskMemAlloc(16);
  CoTaskMemFree(block);
  CoTaskMemFree(block);
  CoTaskMemFree(nullptr);
  int notOurs = 0;
  CoTaskMemFree(&notOurs);
  EXPECT_EQ(CoTaskMemRealloc(&notOurs, 8), nullptr);
  EXPECT_EQ(TaskMemoryLiveBlocks(), before);
}

TEST(TaskMemory, CountsStayExactUnderConcurrentUse) {
  const size_t before = TaskMemoryLiveBlocks();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 500; ++i) {
        void* block = CoTaskMemAlloc(static_cast<SIZE_T>(i));
        block = CoTaskMemRealloc(block, static_cast<SIZE_T>(i) + 10);
        CoTaskMemFree(block);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(TaskMemoryLiveBlocks(), before);
}
