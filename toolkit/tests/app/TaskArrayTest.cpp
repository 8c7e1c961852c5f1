#include "app/TaskArray.h"

#include "platform/taskmemory.h"

#include <gtest/gtest.h>

#include <utility>

// Every way an array leaves its owner frees it exactly once: replaced by
// another, moved out, handed over with Release (the receiver frees it), or
// the owner's end.
TEST(TaskArray, OwnsItsBlockUntilHandedOver) {
  IMalloc* malloc = nullptr;
  ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &malloc), S_OK);
  VorlixApp().SetTaskAllocator(malloc);
  const size_t before = TaskMemoryLiveBlocks();
  {
    TaskArray<HRESULT> errors(3);
    ASSERT_TRUE(errors);
    EXPECT_EQ(errors[0], 0);
    EXPECT_EQ(errors[2], 0);
    errors = TaskArray<HRESULT>(5);
    EXPECT_EQ(TaskMemoryLiveBlocks(), before + 1);
    TaskArray<HRESULT> moved(std::move(errors));
    EXPECT_FALSE(errors);
    HRESULT* handed = moved.Release();
    EXPECT_FALSE(moved);
    EXPECT_EQ(TaskMemoryLiveBlocks(), before + 1);
    CoTaskMemFree(handed);
    TaskArray<WORD> empty(0);
    EXPECT_TRUE(empty);
  }
  EXPECT_EQ(TaskMemoryLiveBlocks(), before);

  TaskMemoryFailNextAllocations(1);
  const TaskArray<VARIANT> refused(2);
  TaskMemoryFailNextAllocations(0);
  EXPECT_FALSE(refused);
}
