#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(TagBatch, OpensOnceStoresAtOnceAndReleasesTheLockAtTheEnd) {
  const DWORD a = NewTag("A");
  const DWORD b = NewTag("B");
  EXPECT_FALSE(EndUpdateTags());
  EXPECT_FALSE(UpdateTagToList(a, MakeI4(1), OPC_QUALITY_GOOD));

  ASSERT_TRUE(StartUpdateTags());
  EXPECT_FALSE(StartUpdateTags());
  EXPECT_TRUE(UpdateTagToList(a, MakeI4(1), OPC_QUALITY_GOOD));
  EXPECT_TRUE(UpdateTagToList(b, MakeI4(2), OPC_QUALITY_GOOD));
  EXPECT_TRUE(UpdateTagToList(a, MakeI4(3), OPC_QUALITY_GOOD));
  EXPECT_FALSE(UpdateTagToList(VORLIX_INVALID_TAG, MakeI4(4), OPC_QUALITY_GOOD));
  EXPECT_EQ(ReadTagState(a).value.lVal, 3);
  EXPECT_TRUE(RemoveTag(b));  // a tag may go while the batch still lists it
  EXPECT_TRUE(EndUpdateTags());

  EXPECT_FALSE(VorlixApp().GetServerLock().HeldByCurrentThread());
  EXPECT_FALSE(EndUpdateTags());
  ASSERT_TRUE(StartUpdateTags());
  EXPECT_TRUE(EndUpdateTags());
  EXPECT_FALSE(VorlixApp().GetServerLock().HeldByCurrentThread());
}

TEST(TagBatch, OtherThreadsWaitForTheBatchToEnd) {
  const DWORD a = NewTag("A");
  const DWORD b = NewTag("B");
  ASSERT_TRUE(StartUpdateTags());
  ASSERT_TRUE(UpdateTagToList(a, MakeI4(1), OPC_QUALITY_GOOD));

  std::atomic<bool> updated{false};
  BOOL addedToOthersBatch = TRUE;
  BOOL endedOthersBatch = TRUE;
  std::thread other([&] {
    EXPECT_TRUE(UpdateTag(b, MakeI4(2), OPC_QUALITY_GOOD));
    updated = true;
    addedToOthersBatch = UpdateTagToList(b, MakeI4(3), OPC_QUALITY_GOOD);
    endedOthersBatch = EndUpdateTags();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(updated);
  EXPECT_TRUE(EndUpdateTags());
  other.join();
  EXPECT_TRUE(updated);
  EXPECT_FALSE(addedToOthersBatch);
  EXPECT_FALSE(endedOthersBatch);
  EXPECT_EQ(ReadTagState(b).value.lVal, 2);
}

TEST(TagBatch, RefreshAllClientsAnswersTrue) { EXPECT_TRUE(RefreshAllClients()); }
