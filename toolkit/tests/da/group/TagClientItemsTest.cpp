// A tag's own list of the client items naming it, across clients: a tag made
// again under items that named it, updates through the list, and the fastest
// client rate found again over the items left.
#include "app/CVorlixApp.h"
#include "da/group/OPCGroup.h"
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/ItemNoticeLog.h"
#include "support/OpcTestGroup.h"
#include "tags/OPCTag.h"

#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TagState {
  int refCount;
  DWORD fastestRate;
};

TagState StateOf(DWORD handle) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const OPCTag* tag = VorlixApp().TagFromHandle(handle);
  return {tag->live->refCount, tag->live->fastestClientRate};
}

LONG FirstItemValue(OpcTestGroup& group) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return static_cast<OPCGroup*>(group.Unknown())->ItemAt(0)->value.lVal;
}

}  // namespace

OPCHANDLE FirstItemHandle(OpcTestGroup& group) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return static_cast<OPCGroup*>(group.Unknown())->ItemAt(0)->serverHandle;
}

TEST(TagClientItems, TheFastestRateIsFoundAgainAcrossClientsAndATagMadeAgainReachesTheirItems) {
  ConnectedClient first(100);
  ASSERT_TRUE(first.Ready());
  OpcTestClient second;
  ASSERT_EQ(second.Connect(), S_OK);
  const DWORD original = NewTag("Plant.Again", MakeI4(1));
  OpcTestGroup fast(first.opc, "Fast", OpcTestGroup::Options{500});
  OpcTestGroup slow(second.OpcServer(), "Slow", OpcTestGroup::Options{1000});
  ItemNoticeLog log;
  ASSERT_EQ(fast.AddItems({{"Plant.Again", "", 1}}).hr, S_OK);
  ASSERT_EQ(slow.AddItems({{"Plant.Again", "", 2}}).hr, S_OK);
  EXPECT_EQ(log.Take(), std::vector<ItemNotice>{RateNotice(original, 500)});

  // The faster item goes: the other client's rate is the tag's.
  EXPECT_EQ(fast.RemoveItems({FirstItemHandle(fast)}).hr, S_OK);
  EXPECT_EQ(StateOf(original).refCount, 1);
  EXPECT_EQ(StateOf(original).fastestRate, 1000u);
  EXPECT_EQ(log.Take(), std::vector<ItemNotice>{RateNotice(original, 1000)});
  ASSERT_EQ(fast.AddItems({{"Plant.Again", "", 1}}).hr, S_OK);
  EXPECT_EQ(StateOf(original).refCount, 2);

  // The items stay while their tag is gone; the tag made again counts them
  // and its updates reach both.
  ASSERT_TRUE(RemoveTag(original));
  const DWORD again = NewTag("Plant.Again", MakeI4(2));
  EXPECT_EQ(StateOf(again).refCount, 2);
  ASSERT_TRUE(UpdateTag(again, MakeI4(7), OPC_QUALITY_GOOD));
  EXPECT_EQ(FirstItemValue(fast), 7);
  EXPECT_EQ(FirstItemValue(slow), 7);

  // A removed group's items leave the tag's list: updates reach the rest.
  ASSERT_TRUE(SUCCEEDED(second.OpcServer()->RemoveGroup(slow.ServerHandle(), TRUE)));
  EXPECT_EQ(StateOf(again).refCount, 1);
  ASSERT_TRUE(UpdateTag(again, MakeI4(8), OPC_QUALITY_GOOD));
  EXPECT_EQ(FirstItemValue(fast), 8);
  slow.Release();
  fast.Release();
  RemoveTag(again);
}
