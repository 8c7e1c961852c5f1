// Group and item server handles name objects of one kind only: a client that
// passes an item's handle where a group's is expected reaches no group.
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"

#include <gtest/gtest.h>

TEST(ServerHandleKind, AnItemHandleNamesNoGroupAndAGroupHandleNoItem) {
  ConnectedClient connected{100};
  ASSERT_TRUE(connected.Ready());
  NewTag("T");
  OpcTestGroup first(connected.opc, "A");
  OpcTestGroup second(connected.opc, "B");
  const ItemCall added = second.AddItems({{"T"}});
  ASSERT_EQ(added.hr, S_OK);
  const OPCHANDLE item = added.results[0].hServer;
  EXPECT_NE(item, first.ServerHandle());
  EXPECT_NE(item, second.ServerHandle());

  EXPECT_EQ(connected.opc->RemoveGroup(item, TRUE), E_FAIL);
  EXPECT_EQ(first.Name(), "A");
  const ItemCall removed = second.RemoveItems({first.ServerHandle(), second.ServerHandle()});
  EXPECT_EQ(removed.errors, (std::vector<HRESULT>{OPC_E_INVALIDHANDLE, OPC_E_INVALIDHANDLE}));
  EXPECT_EQ(connected.opc->RemoveGroup(first.ServerHandle(), FALSE), OPC_S_INUSE);
}
