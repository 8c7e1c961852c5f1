// A branch of the tag tree has no value and no handle: no client item refers
// to one, so the host never hears of the handle no tag has.
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/Eventually.h"
#include "support/HostCalls.h"
#include "support/ItemNoticeLog.h"
#include "support/OpcTestGroup.h"

#include "platform/opcguid.h"

#include <gtest/gtest.h>

TEST(BranchItem, ANameThatResolvesToABranchIsAnUnknownItem) {
  NewTag("Top.Leaf");
  NewTag("Top.Mid.Leaf");
  const struct {
    const char* accessPath;
    const char* itemId;
    HRESULT hr;
  } cases[] = {
      {"", "Top", OPC_E_UNKNOWNITEMID},
      {"", "Top.Mid", OPC_E_UNKNOWNITEMID},
      {"Top", "Mid", OPC_E_UNKNOWNITEMID},
      {"", "Top.Leaf", S_OK},
      {"Top", "Mid.Leaf", S_OK},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Validate(c.accessPath, c.itemId), c.hr) << c.accessPath << " " << c.itemId;
  }
}

TEST(BranchItem, AClientAddingABranchGetsNoItemAndTheHostHearsNothing) {
  ConnectedClient connected{100};
  ASSERT_TRUE(connected.Ready());
  ItemNoticeLog log;
  NewTag("Top.Leaf");
  OpcTestGroup group(connected.opc, "G");
  const ItemCall added = group.AddItems({{"Top"}, {"Leaf", "Top"}});
  EXPECT_EQ(added.hr, S_FALSE);
  EXPECT_EQ(added.errors, (std::vector<HRESULT>{OPC_E_UNKNOWNITEMID, S_OK}));
  group.RemoveItems({added.results[1].hServer});
  for (const ItemNotice& notice : log.Take()) EXPECT_NE(notice.tag, VORLIX_INVALID_TAG);
}

TEST(BranchItem, AnItemWhoseNameBecameABranchNeverNamesItToTheHost) {
  ConnectedClient connected{100};
  ASSERT_TRUE(connected.Ready());
  ItemNoticeLog log;
  const DWORD leaf = NewTag("Leaf");
  OpcTestGroup group(connected.opc, "G");
  ASSERT_EQ(group.AddItems({{"Leaf"}}).hr, S_OK);
  // The host replaces the leaf by a branch of the same name.
  ASSERT_TRUE(RemoveTag(leaf));
  NewTag("Leaf.Deeper");
  IUnknown* clone = nullptr;
  ASSERT_EQ(group.State()->CloneGroup(OLESTR("Clone"), IID_IUnknown, &clone), S_OK);
  clone->Release();
  group.Release();
  // The server goes, and both groups with their items.
  connected.client.ReleaseAll();
  ASSERT_TRUE(Eventually([] { return VorlixApp().ClientThreadCount() == 0; }));
  for (const ItemNotice& notice : log.Take()) EXPECT_NE(notice.tag, VORLIX_INVALID_TAG);
}
