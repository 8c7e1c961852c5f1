// A client that releases a group once more than it holds it must not free a
// group its server still lists: the worker thread and later calls use it.
#include "support/ConnectedClient.h"

#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(GroupOverRelease, AReleaseBeyondTheLastReferenceFreesNothing) {
  ConnectedClient connected{10};
  ASSERT_TRUE(connected.Ready());
  IUnknown* group = nullptr;
  OPCHANDLE handle = 0;
  DWORD revised = 0;
  ASSERT_EQ(connected.opc->AddGroup(OLESTR("G"), TRUE, 10, 1, nullptr, nullptr, 0, &handle, &revised, IID_IUnknown, &group),
            S_OK);
  EXPECT_EQ(group->Release(), 0u);
  EXPECT_EQ(group->Release(), 0u);
  EXPECT_EQ(group->Release(), 0u);
  // The worker thread walks the group list several times meanwhile.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));

  IUnknown* found = nullptr;
  ASSERT_EQ(connected.opc->GetGroupByName(OLESTR("G"), IID_IUnknown, &found), S_OK);
  EXPECT_EQ(found, group);
  // The count starts again from the one reference the client holds now.
  EXPECT_EQ(found->AddRef(), 2u);
  EXPECT_EQ(found->Release(), 1u);
  EXPECT_EQ(found->Release(), 0u);
  EXPECT_EQ(connected.opc->RemoveGroup(handle, FALSE), S_OK);
}
