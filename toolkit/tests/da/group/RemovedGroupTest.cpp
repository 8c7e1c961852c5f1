// A group its client still holds after RemoveGroup answered OPC_S_INUSE is out
// of its server: calls that would change it fail, reads still answer.
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/ItemNoticeLog.h"
#include "support/OpcTestGroup.h"
#include "tags/OPCTag.h"

#include "platform/opcguid.h"

#include <gtest/gtest.h>

namespace {

int ClientItemsOf(const char* name) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const OPCTag* tag = VorlixApp().FindTag(std::string(), name);
  return tag != nullptr ? tag->live->refCount : -1;
}

}  // namespace

TEST(RemovedGroup, ChangesToAGroupRemovedWhileHeldFail) {
  ConnectedClient connected{100};
  ASSERT_TRUE(connected.Ready());
  ItemNoticeLog log;
  const DWORD tag = NewTag("T");
  OpcTestGroup group(connected.opc, "G");
  const ItemCall added = group.AddItems({{"T"}});
  ASSERT_EQ(added.hr, S_OK);
  OPCHANDLE item = added.results[0].hServer;
  log.Take();
  ASSERT_EQ(connected.opc->RemoveGroup(group.ServerHandle(), FALSE), OPC_S_INUSE);

  EXPECT_EQ(group.AddItems({{"T"}}).hr, E_FAIL);
  EXPECT_EQ(group.RemoveItems({item}).hr, E_FAIL);
  HRESULT* errors = nullptr;
  EXPECT_EQ(group.Items()->SetActiveState(1, &item, FALSE, &errors), E_FAIL);
  OPCHANDLE clientHandle = 5;
  EXPECT_EQ(group.Items()->SetClientHandles(1, &item, &clientHandle, &errors), E_FAIL);
  VARTYPE type = VT_BSTR;
  EXPECT_EQ(group.Items()->SetDatatypes(1, &item, &type, &errors), E_FAIL);
  DWORD rate = 500;
  DWORD revised = 0;
  EXPECT_EQ(group.State()->SetState(&rate, &revised, nullptr, nullptr, nullptr, nullptr, nullptr), E_FAIL);
  EXPECT_EQ(group.State()->SetName(OLESTR("Other")), E_FAIL);
  IUnknown* clone = nullptr;
  EXPECT_EQ(group.State()->CloneGroup(OLESTR("Clone"), IID_IUnknown, &clone), E_FAIL);
  EXPECT_EQ(clone, nullptr);

  // Nothing changed: the tag counts the one item, the host heard nothing, and
  // the group still reads as it was.
  EXPECT_EQ(ClientItemsOf("T"), 1);
  EXPECT_TRUE(log.Take().empty());
  EXPECT_EQ(group.Name(), "G");
  EXPECT_EQ(group.ValidateItems({{"T"}}).hr, S_OK);

  // Its last Release lets go of the item as RemoveItems would.
  EXPECT_EQ(group.Release(), 0u);
  EXPECT_EQ(ClientItemsOf("T"), 0);
  EXPECT_EQ(log.Take(), (std::vector<ItemNotice>{RateNotice(tag, 0), RemovedNotice(tag, "T")}));
}
