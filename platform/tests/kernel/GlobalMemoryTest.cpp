#include "platform/globalmemory.h"
#include "platform/hresult.h"
#include "platform/lasterror.h"

#include <gtest/gtest.h>

TEST(GlobalMemory, FixedBlockIsItsOwnAddress) {
  const size_t before = GlobalMemoryLiveBlocks();
  HGLOBAL block = GlobalAlloc(GPTR, 24);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalLock(block), block);
  const BYTE* bytes = static_cast<const BYTE*>(block);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(GlobalSize(block), 24u);
  EXPECT_TRUE(GlobalUnlock(block));
  EXPECT_EQ(GlobalMemoryLiveBlocks(), before + 1);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalMemoryLiveBlocks(), before);
}

TEST(GlobalMemory, MoveableBlockCountsItsLocks) {
  HGLOBAL block = GlobalAlloc(GHND, 0);
  ASSERT_NE(block, nullptr);
  void* data = GlobalLock(block);
  ASSERT_NE(data, nullptr);
  EXPECT_NE(data, block);
  EXPECT_EQ(GlobalLock(block), data);
  EXPECT_EQ(GlobalSize(block), 0u);

  EXPECT_TRUE(GlobalUnlock(block));
  SetLastError(99);
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, UnknownAndFreedHandlesAreReported) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
  ASSERT_EQ(GlobalFree(block), nullptr);
  int notOurs = 0;
  for (HGLOBAL handle : {block, static_cast<HGLOBAL>(&notOurs)}) {
    SetLastError(0);
    EXPECT_EQ(GlobalFree(handle), handle);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GlobalLock(handle), nullptr);
    EXPECT_EQ(GlobalSize(handle), 0u);
    EXPECT_FALSE(GlobalUnlock(handle));
  }
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(GlobalMemory, LocalBlocksShareTheStoreAndTheFailureHook) {
  const size_t before = GlobalMemoryLiveBlocks();
  GlobalMemoryFailNextAllocations(1);
  SetLastError(0);
  EXPECT_EQ(GlobalAlloc(GMEM_FIXED, 8), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);

  HLOCAL local = LocalAlloc(LPTR, 8);
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(GlobalSize(local), 8u);
  EXPECT_EQ(GlobalMemoryLiveBlocks(), before + 1);
  EXPECT_EQ(LocalFree(local), nullptr);
  EXPECT_EQ(LocalFree(local), local);
  EXPECT_EQ(GlobalMemoryLiveBlocks(), before);
}
