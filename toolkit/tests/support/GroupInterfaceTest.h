// A fixture for tests of one interface of a group: the server running with a
// connected client, one inactive group (the server's own scans pass it by)
// with the given client handle, and the group's `Interface`, released at the
// end. The test may reach the group's own item records under the server lock.
#pragma once

#include "app/CVorlixApp.h"
#include "da/group/OPCGroup.h"
#include "support/ConnectedClient.h"
#include "support/OpcTestGroup.h"

#include <gtest/gtest.h>

#include <vector>

template <class Interface, const IID& kInterfaceId, OPCHANDLE kGroupClientHandle = 0>
class GroupInterfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(connected.Ready());
    ASSERT_EQ(group.Added(), S_OK);
    ASSERT_EQ(group.Unknown()->QueryInterface(kInterfaceId, reinterpret_cast<void**>(&offered)), S_OK);
  }
  void TearDown() override {
    if (offered != nullptr) offered->Release();
  }

  // Adds the items; their server handles.
  std::vector<OPCHANDLE> Add(const std::vector<TestItem>& items) {
    const ItemCall call = group.AddItems(items);
    EXPECT_EQ(call.hr, S_OK);
    std::vector<OPCHANDLE> handles;
    for (const OPCITEMRESULT& result : call.results) handles.push_back(result.hServer);
    return handles;
  }

  OPCGroup& Group() { return *static_cast<OPCGroup*>(group.Unknown()); }

  // Runs `use` on the group's record of the item, under the server lock.
  template <class Use>
  void WithItem(OPCHANDLE handle, Use use) {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    OPCGroupItem* item = Group().FindItem(handle);
    ASSERT_NE(item, nullptr);
    use(*item);
  }

  ConnectedClient connected{100};
  OpcTestGroup group{connected.opc, "G", [] {
                       OpcTestGroup::Options options;
                       options.active = FALSE;
                       options.clientHandle = kGroupClientHandle;
                       return options;
                     }()};
  Interface* offered = nullptr;
};
