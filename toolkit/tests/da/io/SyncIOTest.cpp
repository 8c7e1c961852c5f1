// Synchronous reads from the cache and the device, and synchronous writes
// through the host's write callback, as a client makes them through IOPCSyncIO.
#include "app/CVorlixApp.h"
#include "da/group/OPCGroup.h"
#include "support/GroupInterfaceTest.h"
#include "support/HostCalls.h"
#include "support/SyncIOCalls.h"

#include "platform/bstr.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const FILETIME kDeviceStamp = {0x2222, 0x01D00000};

// What the host's callbacks saw.
struct HostCall {
  DWORD tag;
  VARTYPE type;
  LONG value;
  bool lockHeld;
};
std::vector<HostCall> deviceReads;
std::vector<HostCall> hostWrites;
DWORD writeAnswer = 0;

void DeviceRead(DWORD tag, VARIANT* value, WORD* quality, FILETIME* timestamp) {
  deviceReads.push_back({tag, value->vt, 0, VorlixApp().GetServerLock().HeldByCurrentThread()});
  *value = MakeI4(77);
  *quality = OPC_QUALITY_UNCERTAIN;
  *timestamp = kDeviceStamp;
}

void HostWrite(DWORD tag, VARIANT* value, DWORD* result, char*) {
  hostWrites.push_back({tag, value->vt, value->vt == VT_I4 ? value->lVal : 0,
                        VorlixApp().GetServerLock().HeldByCurrentThread()});
  *result = writeAnswer;
}

struct SyncIO : public GroupInterfaceTest<IOPCSyncIO, IID_IOPCSyncIO> {
  OPCHANDLE Add(const TestItem& item) { return GroupInterfaceTest::Add({item}).at(0); }
};

}  // namespace

TEST_F(SyncIO, CacheReadsGiveTheItemsCopyOutOfServiceWhileInactive) {
  NewTag("Dev.Flow", MakeI4(5));
  const OPCHANDLE flow = Add({"Dev.Flow", "", 31});
  SyncRead read = ReadItems(offered, OPC_DS_CACHE, {flow, flow + 1000});
  EXPECT_EQ(read.hr, S_FALSE);
  ASSERT_EQ(read.errors, (std::vector<HRESULT>{S_OK, OPC_E_INVALIDHANDLE}));
  EXPECT_EQ(read.states[0].hClient, 31u);
  EXPECT_EQ(read.states[0].vDataValue.vt, VT_I4);
  EXPECT_EQ(read.states[0].vDataValue.lVal, 5);
  EXPECT_EQ(read.states[0].wQuality, OPC_QUALITY_OUT_OF_SERVICE);
  EXPECT_NE(FileTimeToTicks(read.states[0].ftTimeStamp), 0u);
  EXPECT_EQ(read.states[1].hClient, 0u);
  EXPECT_EQ(read.states[1].vDataValue.vt, VT_EMPTY);

  DWORD rate = 100;
  BOOL active = TRUE;
  ASSERT_EQ(group.State()->SetState(&rate, &rate, &active, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(ReadItems(offered, OPC_DS_CACHE, {flow}).states[0].wQuality, OPC_QUALITY_GOOD);
  // The requested type is applied; an inactive item is out of service in an active group too.
  const OPCHANDLE text = Add({"Dev.Flow", "", 32, VT_BSTR, FALSE});
  SyncRead asText = ReadItems(offered, OPC_DS_CACHE, {text});
  ASSERT_EQ(asText.hr, S_OK);
  EXPECT_EQ(asText.states[0].vDataValue.vt, VT_BSTR);
  EXPECT_EQ(WideString(asText.states[0].vDataValue.bstrVal), OLESTR("5"));
  EXPECT_EQ(asText.states[0].wQuality, OPC_QUALITY_OUT_OF_SERVICE);
}

TEST_F(SyncIO, BadArgumentsAndMissingMemoryLeaveEveryOutputNull) {
  NewTag("Dev.Flow", MakeI4(5));
  OPCHANDLE flow = Add({"Dev.Flow"});
  OPCITEMSTATE* states = reinterpret_cast<OPCITEMSTATE*>(&flow);
  HRESULT* errors = reinterpret_cast<HRESULT*>(&flow);
  const auto expectNulls = [&] {
    EXPECT_EQ(states, nullptr);
    EXPECT_EQ(errors, nullptr);
    states = reinterpret_cast<OPCITEMSTATE*>(&flow);
    errors = reinterpret_cast<HRESULT*>(&flow);
  };
  EXPECT_EQ(offered->Read(OPC_DS_CACHE, 0, &flow, &states, &errors), E_INVALIDARG);
  expectNulls();
  EXPECT_EQ(offered->Read(OPC_DS_CACHE, 1, nullptr, &states, &errors), E_INVALIDARG);
  expectNulls();
  EXPECT_EQ(offered->Read(OPC_DS_CACHE, 1, &flow, nullptr, &errors), E_INVALIDARG);
  EXPECT_EQ(errors, nullptr);
  errors = reinterpret_cast<HRESULT*>(&flow);
  EXPECT_EQ(offered->Read(static_cast<OPCDATASOURCE>(3), 1, &flow, &states, &errors), E_INVALIDARG);
  expectNulls();
  VARIANT value = MakeI4(1);
  EXPECT_EQ(offered->Write(1, &flow, nullptr, &errors), E_INVALIDARG);
  EXPECT_EQ(errors, nullptr);
  EXPECT_EQ(offered->Write(0, &flow, &value, &errors), E_INVALIDARG);
  EXPECT_EQ(offered->Write(1, &flow, &value, nullptr), E_INVALIDARG);

  for (ULONG failing : {1u, 2u}) {
    const size_t blocks = TaskMemoryLiveBlocks();
    states = reinterpret_cast<OPCITEMSTATE*>(&flow);
    errors = reinterpret_cast<HRESULT*>(&flow);
    TaskMemoryFailNextAllocations(failing);
    EXPECT_EQ(offered->Read(OPC_DS_CACHE, 1, &flow, &states, &errors), E_OUTOFMEMORY);
    TaskMemoryFailNextAllocations(0);
    expectNulls();
    EXPECT_EQ(TaskMemoryLiveBlocks(), blocks);
  }
}

TEST_F(SyncIO, DeviceReadsAskTheHostWithTheLockReleasedAndLeaveTheCache) {
  const DWORD tag = NewTag("Dev.Flow", MakeI4(5));
  const OPCHANDLE flow = Add({"Dev.Flow", "", 41, VT_EMPTY, FALSE});
  const OPCHANDLE asText = Add({"Dev.Flow", "", 42, VT_BSTR});
  const OPCHANDLE unconvertible = Add({"Dev.Flow", "", 43});

  // Without a device-read callback a device read is a cache read.
  EXPECT_EQ(ReadItems(offered, OPC_DS_DEVICE, {flow}).states[0].wQuality, OPC_QUALITY_OUT_OF_SERVICE);
  EXPECT_TRUE(deviceReads.empty());

  ASSERT_TRUE(EnableDeviceRead(DeviceRead));
  SyncRead read = ReadItems(offered, OPC_DS_DEVICE, {flow, asText});
  ASSERT_EQ(read.hr, S_OK);
  EXPECT_EQ(read.states[0].hClient, 41u);
  EXPECT_EQ(read.states[0].vDataValue.vt, VT_I4);
  EXPECT_EQ(read.states[0].vDataValue.lVal, 77);
  EXPECT_EQ(read.states[0].wQuality, OPC_QUALITY_UNCERTAIN);
  EXPECT_EQ(FileTimeToTicks(read.states[0].ftTimeStamp), FileTimeToTicks(kDeviceStamp));
  EXPECT_EQ(WideString(read.states[1].vDataValue.bstrVal), OLESTR("77"));
  ASSERT_EQ(deviceReads.size(), 2u);
  EXPECT_EQ(deviceReads[0].tag, tag);
  EXPECT_EQ(deviceReads[0].type, VT_EMPTY);
  EXPECT_FALSE(deviceReads[0].lockHeld);
  EXPECT_EQ(ReadItems(offered, OPC_DS_CACHE, {flow}).states[0].vDataValue.lVal, 5);

  // A value of the host that does not convert: the conversion's error, bad quality.
  deviceReads.clear();
  WithItem(unconvertible, [](OPCGroupItem& item) { item.requestedType = VT_DISPATCH; });
  SyncRead failed = ReadItems(offered, OPC_DS_DEVICE, {unconvertible});
  EXPECT_EQ(failed.hr, S_FALSE);
  EXPECT_TRUE(FAILED(failed.errors[0]));
  EXPECT_EQ(failed.states[0].wQuality, OPC_QUALITY_BAD);
  EXPECT_EQ(failed.states[0].vDataValue.vt, VT_EMPTY);
}

TEST_F(SyncIO, ADeviceReadTheItemMayNotMakeOrWhoseTagIsGoneNeverReachesTheHost) {
  const DWORD tag = NewTag("Dev.Flow", MakeI4(5));
  const OPCHANDLE unreadable = Add({"Dev.Flow", "", 51});
  const OPCHANDLE orphan = Add({"Dev.Flow", "", 52});
  WithItem(unreadable, [](OPCGroupItem& item) { item.accessRights = OPC_WRITEABLE; });
  ASSERT_TRUE(EnableDeviceRead(DeviceRead));
  SyncRead denied = ReadItems(offered, OPC_DS_DEVICE, {unreadable});
  EXPECT_EQ(denied.errors, std::vector<HRESULT>{OPC_E_BADRIGHTS});
  EXPECT_EQ(denied.states[0].hClient, 51u);
  EXPECT_EQ(ReadItems(offered, OPC_DS_CACHE, {unreadable}).errors, std::vector<HRESULT>{OPC_E_BADRIGHTS});

  ASSERT_TRUE(RemoveTag(tag));
  SyncRead gone = ReadItems(offered, OPC_DS_DEVICE, {orphan});
  EXPECT_EQ(gone.hr, S_FALSE);
  EXPECT_EQ(gone.errors, std::vector<HRESULT>{OPC_E_INVALIDHANDLE});
  EXPECT_EQ(gone.states[0].hClient, 52u);
  EXPECT_EQ(gone.states[0].wQuality, OPC_QUALITY_BAD);
  EXPECT_TRUE(deviceReads.empty());
}

TEST_F(SyncIO, WritesReachTheHostOnlyWhenTheItemAcceptsThemAndCarryItsAnswer) {
  const DWORD level = NewTag("Dev.Level", MakeI4(1));
  CreateTag(const_cast<char*>("Dev.Fixed"), MakeI4(2), OPC_QUALITY_GOOD, FALSE);
  const OPCHANDLE levelItem = Add({"Dev.Level", "", 61});
  const OPCHANDLE fixedItem = Add({"Dev.Fixed", "", 62});
  ASSERT_TRUE(EnableWriteNotification2(HostWrite, FALSE));

  SyncWrite write = WriteItems(offered, {levelItem, fixedItem, levelItem + 1000}, {MakeI4(8), MakeI4(9), MakeI4(10)});
  EXPECT_EQ(write.hr, S_FALSE);
  EXPECT_EQ(write.errors, (std::vector<HRESULT>{S_OK, OPC_E_BADRIGHTS, OPC_E_INVALIDHANDLE}));
  ASSERT_EQ(hostWrites.size(), 1u);
  EXPECT_EQ(hostWrites[0].tag, level);
  EXPECT_EQ(hostWrites[0].value, 8);
  EXPECT_FALSE(hostWrites[0].lockHeld);
  EXPECT_EQ(ReadItems(offered, OPC_DS_CACHE, {levelItem}).states[0].vDataValue.lVal, 8);
  EXPECT_EQ(ReadTagState(level).value.lVal, 8);
}

TEST_F(SyncIO, AValueTheHostRefusesIsReportedAndLeavesTheItemAsItWas) {
  const DWORD level = NewTag("Dev.Level", MakeI4(1));
  const OPCHANDLE item = Add({"Dev.Level", "", 71});
  WithItem(item, [](OPCGroupItem& record) { record.changed = FALSE; });
  ASSERT_TRUE(EnableWriteNotification2(HostWrite, FALSE));
  writeAnswer = static_cast<DWORD>(OPC_E_BADRIGHTS);
  SyncWrite write = WriteItems(offered, {item}, {MakeI4(8)});
  EXPECT_EQ(write.hr, S_FALSE);
  EXPECT_EQ(write.errors, std::vector<HRESULT>{OPC_E_BADRIGHTS});
  EXPECT_EQ(hostWrites.size(), 1u);
  EXPECT_EQ(ReadItems(offered, OPC_DS_CACHE, {item}).states[0].vDataValue.lVal, 1);
  EXPECT_EQ(ReadTagState(level).value.lVal, 1);
  WithItem(item, [](OPCGroupItem& record) { EXPECT_FALSE(record.changed); });
}

TEST_F(SyncIO, TheConvertFlagHandsTheHostTheCanonicalTypeAndLeavesTheClientsValue) {
  NewTag("Dev.Level", MakeI4(1));
  const OPCHANDLE item = Add({"Dev.Level"});
  VARIANT twelve = MakeBstr(OLESTR("12"));
  for (BOOL convert : {TRUE, FALSE}) {
    hostWrites.clear();
    ASSERT_TRUE(EnableWriteNotification2(HostWrite, convert));
    EXPECT_EQ(WriteItems(offered, {item}, {twelve}).hr, S_OK);
    ASSERT_EQ(hostWrites.size(), 1u);
    EXPECT_EQ(hostWrites[0].type, convert ? VT_I4 : VT_BSTR);
    if (convert) {
      EXPECT_EQ(hostWrites[0].value, 12);
    }
    // The client's [in] value is its own.
    EXPECT_EQ(twelve.vt, VT_BSTR);
    EXPECT_EQ(WideString(twelve.bstrVal), OLESTR("12"));
  }
  VariantClear(&twelve);
}
