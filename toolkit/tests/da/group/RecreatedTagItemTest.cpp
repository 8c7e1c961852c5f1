// A client item whose tag is removed and made again under the same name: the
// item takes the new tag's value at once, as it takes every later update, and
// the new tag knows its client items' fastest rate.
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/ItemNoticeLog.h"
#include "support/OpcTestGroup.h"
#include "support/SyncIOCalls.h"

#include "platform/opcguid.h"

#include <gtest/gtest.h>

TEST(RecreatedTagItem, TakesTheValueTheTagIsMadeWith) {
  ConnectedClient connected(10);
  ASSERT_TRUE(connected.Ready());
  const DWORD first = NewTag("Dev.Value", MakeI4(1));
  OpcTestGroup group(connected.opc, "Watch");
  ASSERT_EQ(group.Added(), S_OK);
  const OPCHANDLE item = group.AddItems({{"Dev.Value", "", 1}}).results.at(0).hServer;
  IOPCSyncIO* io = nullptr;
  ASSERT_EQ(group.Unknown()->QueryInterface(IID_IOPCSyncIO, reinterpret_cast<void**>(&io)), S_OK);

  ASSERT_TRUE(RemoveTag(first));
  const DWORD second = CreateTag(const_cast<char*>("Dev.Value"), MakeI4(5), OPC_QUALITY_UNCERTAIN, TRUE);
  ASSERT_NE(second, VORLIX_INVALID_TAG);
  const SyncRead made = ReadItems(io, OPC_DS_CACHE, {item});
  ASSERT_EQ(made.hr, S_OK);
  EXPECT_EQ(made.states[0].vDataValue.lVal, 5);
  EXPECT_EQ(made.states[0].wQuality, OPC_QUALITY_UNCERTAIN);

  ASSERT_TRUE(UpdateTag(second, MakeI4(6), OPC_QUALITY_GOOD));
  const SyncRead updated = ReadItems(io, OPC_DS_CACHE, {item});
  EXPECT_EQ(updated.states[0].vDataValue.lVal, 6);
  io->Release();
}

// The new tag's fastest client rate is its items' own: when the fastest item
// goes, the host hears the next one's rate for the new handle.
TEST(RecreatedTagItem, KeepsTheFastestRateOfItsItems) {
  ConnectedClient connected(10);
  ASSERT_TRUE(connected.Ready());
  const DWORD first = NewTag("Dev.Rate", MakeI4(1));
  OpcTestGroup::Options fastOptions;
  fastOptions.rate = 100;
  OpcTestGroup fast(connected.opc, "Fast", fastOptions);
  OpcTestGroup::Options slowOptions;
  slowOptions.rate = 1000;
  OpcTestGroup slow(connected.opc, "Slow", slowOptions);
  const OPCHANDLE fastItem = fast.AddItems({{"Dev.Rate"}}).results.at(0).hServer;
  ASSERT_EQ(slow.AddItems({{"Dev.Rate"}}).hr, S_OK);

  ASSERT_TRUE(RemoveTag(first));
  const DWORD second = CreateTag(const_cast<char*>("Dev.Rate"), MakeI4(5), OPC_QUALITY_GOOD, TRUE);
  ASSERT_NE(second, VORLIX_INVALID_TAG);
  ItemNoticeLog log;
  ASSERT_EQ(fast.RemoveItems({fastItem}).hr, S_OK);
  EXPECT_EQ(log.Take(), (std::vector<ItemNotice>{RateNotice(second, 1000)}));
}
