// RemoveItems takes its items out in one pass: what the host hears is what
// removing them one by one would tell it, in the same order, the items left
// keep their order, and the index of names keeps finding every tag's items as
// lists come and go.
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/ItemNoticeLog.h"
#include "support/OpcTestGroup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The client handles of the group's items, in the enumerator's order.
std::vector<OPCHANDLE> ListedClientHandles(const OpcTestGroup& group) {
  std::vector<OPCHANDLE> listed;
  for (const OPCITEMATTRIBUTES& item : group.ListItems()) listed.push_back(item.hClient);
  return listed;
}

std::string ManyName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "Many.Tag%03d", i);
  return name;
}

}  // namespace

TEST(ItemRemovalPass, TheHostHearsWhatRemovalsOneByOneWouldTellItInTheirOrder) {
  ConnectedClient connected(100);
  ASSERT_TRUE(connected.Ready());
  const DWORD a = NewTag("Plant.A");
  const DWORD b = NewTag("Plant.B");
  NewTag("Plant.C");
  OpcTestGroup fast(connected.opc, "Fast", OpcTestGroup::Options{500});
  OpcTestGroup slow(connected.opc, "Slow", OpcTestGroup::Options{1000});
  ASSERT_EQ(slow.AddItems({{"Plant.A", "", 9}}).hr, S_OK);
  const ItemCall added =
      fast.AddItems({{"Plant.A", "", 1}, {"C", "Plant", 2}, {"Plant.B", "", 3}, {"A", "Plant", 4}, {"Plant.C", "", 5}});
  ASSERT_EQ(added.hr, S_OK);
  ItemNoticeLog log;

  // The first A leaves another A at 500; B was the last of its tag; then the
  // second A leaves the slow group's rate. A stale handle and a handle named
  // twice are invalid and change nothing.
  const OPCHANDLE firstA = added.results[0].hServer;
  const OPCHANDLE secondA = added.results[3].hServer;
  const ItemCall removed = fast.RemoveItems({firstA, added.results[2].hServer, 0, secondA, firstA});
  EXPECT_EQ(removed.hr, S_FALSE);
  EXPECT_EQ(removed.errors,
            (std::vector<HRESULT>{S_OK, S_OK, OPC_E_INVALIDHANDLE, S_OK, OPC_E_INVALIDHANDLE}));
  EXPECT_EQ(log.Take(), (std::vector<ItemNotice>{RateNotice(a, 500), RateNotice(b, 0), RemovedNotice(b, "Plant.B"),
                                                 RateNotice(a, 1000)}));
  EXPECT_EQ(ListedClientHandles(fast), (std::vector<OPCHANDLE>{2, 5}));
  EXPECT_EQ(VorlixApp().CountTagItems("Plant.A"), 1);
  EXPECT_EQ(VorlixApp().CountTagItems("Plant.B"), 0);
  EXPECT_EQ(VorlixApp().CountTagItems("Plant.C"), 2);
}

TEST(ItemRemovalPass, EveryNameKeepsItsItemsWhileOtherNamesComeAndGo) {
  ConnectedClient connected(100);
  ASSERT_TRUE(connected.Ready());
  constexpr int kNames = 300;
  std::vector<TestItem> definitions;
  for (int i = 0; i < kNames; ++i) {
    NewTag(ManyName(i));
    definitions.push_back({ManyName(i), "", static_cast<OPCHANDLE>(i)});
  }
  OpcTestGroup all(connected.opc, "All");
  OpcTestGroup half(connected.opc, "Half");
  const ItemCall added = all.AddItems(definitions);
  ASSERT_EQ(added.hr, S_OK);
  std::vector<TestItem> everyOther;
  for (int i = 0; i < kNames; i += 2) everyOther.push_back(definitions[static_cast<size_t>(i)]);
  ASSERT_EQ(half.AddItems(everyOther).hr, S_OK);

  std::vector<int> expected(kNames);
  for (int i = 0; i < kNames; ++i) expected[static_cast<size_t>(i)] = i % 2 == 0 ? 2 : 1;
  // Lists go in an order unlike the one they came in: every third name, then
  // the rest from the end.
  std::vector<int> order;
  for (int i = 0; i < kNames; i += 3) order.push_back(i);
  for (int i = kNames - 1; i >= 0; --i) {
    if (i % 3 != 0) order.push_back(i);
  }
  for (size_t step = 0; step < order.size(); step += 50) {
    std::vector<OPCHANDLE> handles;
    for (size_t k = step; k < order.size() && k < step + 50; ++k) {
      handles.push_back(added.results[static_cast<size_t>(order[k])].hServer);
      --expected[static_cast<size_t>(order[k])];
    }
    ASSERT_EQ(all.RemoveItems(handles).hr, S_OK);
    for (int i = 0; i < kNames; ++i) {
      ASSERT_EQ(VorlixApp().CountTagItems(ManyName(i)), expected[static_cast<size_t>(i)]) << ManyName(i);
    }
  }
}
