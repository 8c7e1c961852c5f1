// The group's IDataObject as a Data Access 1.0 client uses it: one advise sink
// per stream format, and the streams it then receives, read back from their
// bytes.
#include "app/CVorlixApp.h"
#include "da/group/OPCGroup.h"
#include "da/io/IOPCDataObjectHolder.h"
#include "support/DataStreamReader.h"
#include "support/Eventually.h"
#include "support/GroupInterfaceTest.h"
#include "support/HostCalls.h"
#include "support/RecordingAdviseSink.h"

#include "platform/clipboard.h"
#include "platform/globalmemory.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr OPCHANDLE kGroupClientHandle = 0x4711;

UINT FormatId(const char* name) { return RegisterClipboardFormatA(name); }
const UINT kData = FormatId("OPCSTMFORMATDATA");
const UINT kTime = FormatId("OPCSTMFORMATDATATIME");
const UINT kWrite = FormatId("OPCSTMFORMATWRITECOMPLETE");

FORMATETC Format(UINT id) { return FORMATETC{static_cast<CLIPFORMAT>(id), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// A tag holding a string.
DWORD NewTextTag(const char* name, const WCHAR* text) {
  VARIANT value = MakeBstr(text);
  const DWORD tag = NewTag(name, value);
  VariantClear(&value);
  return tag;
}

uint64_t Ticks(DWORD tag) { return FileTimeToTicks(ReadTagState(tag).timestamp); }

// An object that is no advise sink.
struct NotASink final : public IUnknown {
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
};

struct DataObject : public GroupInterfaceTest<IDataObject, IID_IDataObject, kGroupClientHandle> {
  // The sinks go with the test, the group with the server's worker thread
  // afterwards: the group lets go of them first.
  void TearDown() override {
    if (offered != nullptr) {
      for (UINT format : {kData, kTime, kWrite}) offered->DUnadvise(format);
    }
    GroupInterfaceTest::TearDown();
  }

  HRESULT Advise(UINT format, IAdviseSink* sink, DWORD* connection = nullptr) {
    DWORD ignored = 0;
    FORMATETC formatetc = Format(format);
    return offered->DAdvise(&formatetc, 0, sink, connection != nullptr ? connection : &ignored);
  }

  IOPCDataObjectHolder& Holder() { return *static_cast<IOPCDataObjectHolder*>(offered); }

  bool Changed(OPCHANDLE handle) {
    bool changed = false;
    WithItem(handle, [&](OPCGroupItem& item) { changed = item.changed != FALSE; });
    return changed;
  }

  RecordingAdviseSink dataSink, timeSink, writeSink;
};

}  // namespace

TEST_F(DataObject, OneSinkPerStreamFormatUnderTheFormatsIdAsConnection) {
  DWORD connection = 1;
  FORMATETC format = Format(kData);
  EXPECT_EQ(offered->DAdvise(nullptr, 0, &dataSink, &connection), E_POINTER);
  EXPECT_EQ(connection, 0u);
  EXPECT_EQ(offered->DAdvise(&format, 0, nullptr, &connection), E_POINTER);
  EXPECT_EQ(offered->DAdvise(&format, 0, &dataSink, nullptr), E_POINTER);
  EXPECT_EQ(Advise(FormatId("Rich Text Format"), &dataSink), DV_E_FORMATETC);
  NotASink stranger;
  EXPECT_EQ(offered->DAdvise(&format, 0, reinterpret_cast<IAdviseSink*>(&stranger), &connection), E_NOINTERFACE);
  EXPECT_FALSE(Group().HasReadSink());

  EXPECT_EQ(Advise(kData, &dataSink, &connection), S_OK);
  EXPECT_EQ(connection, kData);
  EXPECT_GE(connection, 0xC000u);
  EXPECT_EQ(Advise(kData, &timeSink), CONNECT_E_ADVISELIMIT);
  EXPECT_EQ(timeSink.References(), 0);
  EXPECT_TRUE(Group().HasReadSink());
  EXPECT_FALSE(Group().HasWriteSink());
  EXPECT_EQ(Advise(kWrite, &writeSink, &connection), S_OK);
  EXPECT_EQ(connection, kWrite);
  EXPECT_TRUE(Group().HasWriteSink());

  EXPECT_EQ(offered->DUnadvise(12345), OLE_E_NOCONNECTION);
  EXPECT_EQ(offered->DUnadvise(kTime), OLE_E_NOCONNECTION);
  EXPECT_EQ(offered->DUnadvise(kData), S_OK);
  EXPECT_EQ(dataSink.References(), 0);
  EXPECT_EQ(offered->DUnadvise(kData), OLE_E_NOCONNECTION);
  EXPECT_EQ(Advise(kData, &timeSink), S_OK);

  // The group lets go of the sinks still registered when it goes.
  offered->Release();
  offered = nullptr;
  group.Release();
  ASSERT_TRUE(connected.opc->RemoveGroup(group.ServerHandle(), FALSE) == S_OK);
  EXPECT_EQ(timeSink.References(), 0);
  EXPECT_EQ(writeSink.References(), 0);
}

TEST_F(DataObject, RenderingOnRequestIsNotImplemented) {
  FORMATETC format = Format(kData);
  STGMEDIUM medium{};
  EXPECT_EQ(offered->GetData(&format, &medium), E_NOTIMPL);
  EXPECT_EQ(offered->GetDataHere(&format, &medium), E_NOTIMPL);
  EXPECT_EQ(offered->QueryGetData(&format), E_NOTIMPL);
  EXPECT_EQ(offered->GetCanonicalFormatEtc(&format, &format), E_NOTIMPL);
  EXPECT_EQ(offered->SetData(&format, &medium, FALSE), E_NOTIMPL);
  EXPECT_EQ(offered->EnumFormatEtc(DATADIR_GET, nullptr), E_NOTIMPL);
  EXPECT_EQ(offered->EnumDAdvise(nullptr), E_NOTIMPL);
}

TEST_F(DataObject, AnIntegerWithTimeTakesFiftySixBytes) {
  const DWORD tag = NewTag("Dev.Flow", MakeI4(-5));
  Add({{"Dev.Flow", "", 21}});
  ASSERT_EQ(Advise(kTime, &timeSink), S_OK);
  Holder().SendSubscriptionData(true);

  const std::vector<RecordingAdviseSink::Received> streams = timeSink.Streams();
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].format.cfFormat, kTime);
  EXPECT_EQ(streams[0].format.ptd, nullptr);
  EXPECT_EQ(streams[0].format.dwAspect, DVASPECT_CONTENT);
  EXPECT_EQ(streams[0].format.lindex, -1);
  EXPECT_EQ(streams[0].format.tymed, TYMED_HGLOBAL);
  EXPECT_EQ(streams[0].tymed, TYMED_HGLOBAL);
  EXPECT_FALSE(streams[0].lockHeld);
  ASSERT_EQ(streams[0].bytes.size(), 56u);

  const DataStream stream = ReadDataStream(streams[0].bytes, true);
  EXPECT_EQ(stream.totalSize, 56u);
  EXPECT_EQ(stream.count, 1u);
  EXPECT_EQ(stream.groupClientHandle, kGroupClientHandle);
  EXPECT_EQ(stream.transactionId, 0u);
  EXPECT_EQ(stream.status, 0u);
  ASSERT_EQ(stream.items.size(), 1u);
  const StreamedItem& item = stream.items[0];
  EXPECT_EQ(item.clientHandle, 21u);
  EXPECT_EQ(item.valueOffset, 40u);
  EXPECT_EQ(item.quality, OPC_QUALITY_GOOD);
  EXPECT_EQ(item.reserved, 0);
  EXPECT_EQ(item.timestamp, Ticks(tag));
  EXPECT_EQ(item.type, VT_I4);
  EXPECT_EQ(item.Int32(), -5);
  // Reserved words and the value's unused high bytes are zero.
  EXPECT_EQ(std::vector<BYTE>(item.imageTail.begin(), item.imageTail.begin() + 6), std::vector<BYTE>(6, 0));
  EXPECT_EQ(std::vector<BYTE>(item.imageTail.begin() + 10, item.imageTail.end()), std::vector<BYTE>(4, 0));
}

TEST_F(DataObject, AStringIsFollowedByItsLengthTextAndTerminator) {
  NewTextTag("Dev.Name", OLESTR("abc"));
  NewTag("Dev.Flow", MakeI4(9));
  Add({{"Dev.Name", "", 1}, {"Dev.Flow", "", 2}});
  ASSERT_EQ(Advise(kData, &dataSink), S_OK);
  Holder().SendSubscriptionData(true);

  const std::vector<RecordingAdviseSink::Received> streams = dataSink.Streams();
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].format.cfFormat, kData);
  const DataStream stream = ReadDataStream(streams[0].bytes, false);
  EXPECT_EQ(stream.totalSize, 88u);
  EXPECT_EQ(streams[0].bytes.size(), 88u);
  ASSERT_EQ(stream.items.size(), 2u);
  EXPECT_EQ(stream.items[0].valueOffset, 44u);
  EXPECT_EQ(stream.items[0].type, VT_BSTR);
  EXPECT_EQ(stream.items[0].textBytes, 6u);
  EXPECT_EQ(stream.items[0].text, OLESTR("abc"));
  EXPECT_EQ(stream.items[0].terminator, 0);
  EXPECT_EQ(stream.items[1].valueOffset, 72u);
  EXPECT_EQ(stream.items[1].Int32(), 9);
  EXPECT_EQ(stream.items[1].end, 88u);
}

TEST_F(DataObject, AnItemThatCannotBeReadTakesAnEmptyValueAndTheOffsetsStillAgree) {
  NewTextTag("Dev.Name", OLESTR("secret text"));
  NewTag("Dev.Flow", MakeI4(9));
  const std::vector<OPCHANDLE> handles = Add({{"Dev.Name", "", 1}, {"Dev.Flow", "", 2}, {"Dev.Name", "", 3}});
  WithItem(handles[0], [](OPCGroupItem& item) { item.accessRights = OPC_WRITEABLE; });
  WithItem(handles[2], [](OPCGroupItem& item) { item.requestedType = VT_DISPATCH; });
  ASSERT_EQ(Advise(kTime, &timeSink), S_OK);
  Holder().SendSubscriptionData(true);

  ASSERT_EQ(timeSink.Streams().size(), 1u);
  const std::vector<BYTE> bytes = timeSink.Streams()[0].bytes;
  const DataStream stream = ReadDataStream(bytes, true);
  EXPECT_EQ(stream.totalSize, bytes.size());
  EXPECT_EQ(bytes.size(), 20u + 3 * 20 + 3 * 16);
  ASSERT_EQ(stream.items.size(), 3u);
  EXPECT_EQ(stream.items[0].type, VT_EMPTY);
  EXPECT_EQ(stream.items[0].quality, OPC_QUALITY_BAD);
  EXPECT_EQ(stream.items[0].timestamp, 0u);
  EXPECT_EQ(stream.items[1].valueOffset, stream.items[0].end);
  EXPECT_EQ(stream.items[2].valueOffset, stream.items[1].end);
  EXPECT_EQ(stream.items[2].type, VT_EMPTY);
  EXPECT_EQ(stream.items[2].quality, OPC_QUALITY_BAD);
  EXPECT_EQ(stream.items[2].end, bytes.size());
}

TEST_F(DataObject, SubscriptionDataGoesWithTimeFirstAndClearsTheChangesItCarried) {
  NewTag("Dev.Flow", MakeI4(9));
  NewTag("Dev.Idle", MakeI4(1));
  const std::vector<OPCHANDLE> handles = Add({{"Dev.Flow", "", 1}, {"Dev.Idle", "", 2, VT_EMPTY, FALSE}});
  // Without a sink nothing is sent and the changes wait.
  Holder().SendSubscriptionData(true);
  EXPECT_TRUE(Changed(handles[0]));

  ASSERT_EQ(Advise(kData, &dataSink), S_OK);
  ASSERT_EQ(Advise(kTime, &timeSink), S_OK);
  // Kept for the next pulse when it asks the data object not to clear.
  Holder().SendSubscriptionData(false);
  EXPECT_TRUE(Changed(handles[0]));
  Holder().SendSubscriptionData(true);
  EXPECT_FALSE(Changed(handles[0]));
  EXPECT_TRUE(Changed(handles[1]));
  Holder().SendSubscriptionData(true);

  const std::vector<RecordingAdviseSink::Received> time = timeSink.Streams();
  const std::vector<RecordingAdviseSink::Received> plain = dataSink.Streams();
  ASSERT_EQ(time.size(), 2u);
  ASSERT_EQ(plain.size(), 2u);
  // Both sinks get a stream per update, the with-time one first.
  EXPECT_LT(time[0].sequence, plain[0].sequence);
  EXPECT_LT(time[1].sequence, plain[1].sequence);
  for (const auto& received : time) {
    const DataStream stream = ReadDataStream(received.bytes, true);
    ASSERT_EQ(stream.items.size(), 1u);
    EXPECT_EQ(stream.items[0].clientHandle, 1u);
  }
  EXPECT_EQ(ReadDataStream(plain[1].bytes, false).items.size(), 1u);
}

TEST_F(DataObject, WithoutMemoryForAStreamTheChangesStayForTheNextPulse) {
  NewTag("Dev.Flow", MakeI4(9));
  const std::vector<OPCHANDLE> handles = Add({{"Dev.Flow"}});
  ASSERT_EQ(Advise(kData, &dataSink), S_OK);
  ASSERT_EQ(Advise(kTime, &timeSink), S_OK);
  const size_t blocks = GlobalMemoryLiveBlocks();
  GlobalMemoryFailNextAllocations(1);
  Holder().SendSubscriptionData(true);
  GlobalMemoryFailNextAllocations(0);
  EXPECT_TRUE(Changed(handles[0]));
  EXPECT_EQ(timeSink.Streams().size(), 0u);
  EXPECT_EQ(dataSink.Streams().size(), 1u);
  EXPECT_EQ(GlobalMemoryLiveBlocks(), blocks);

  Holder().SendSubscriptionData(true);
  EXPECT_EQ(timeSink.Streams().size(), 1u);
  EXPECT_FALSE(Changed(handles[0]));
}

TEST_F(DataObject, ReadAndRefreshResultsCarryTheTransactionAndLeaveTheChanges) {
  NewTag("Dev.A", MakeI4(1));
  NewTag("Dev.B", MakeI4(2));
  const std::vector<OPCHANDLE> handles = Add({{"Dev.A", "", 11}, {"Dev.B", "", 12}, {"Dev.A", "", 13, VT_EMPTY, FALSE}});
  ASSERT_EQ(Advise(kData, &dataSink), S_OK);
  Holder().SendReadResult(5, {handles[2], handles[0] + 1000, handles[1]});
  Holder().SendRefreshResult(6);
  // Nothing left to read: nothing is sent.
  Holder().SendReadResult(7, {handles[0] + 1000});

  const std::vector<RecordingAdviseSink::Received> streams = dataSink.Streams();
  ASSERT_EQ(streams.size(), 2u);
  const DataStream read = ReadDataStream(streams[0].bytes, false);
  EXPECT_EQ(read.transactionId, 5u);
  ASSERT_EQ(read.items.size(), 2u);
  EXPECT_EQ(read.items[0].clientHandle, 13u);
  EXPECT_EQ(read.items[1].clientHandle, 12u);
  const DataStream refresh = ReadDataStream(streams[1].bytes, false);
  EXPECT_EQ(refresh.transactionId, 6u);
  ASSERT_EQ(refresh.items.size(), 2u);
  EXPECT_EQ(refresh.items[0].clientHandle, 11u);
  EXPECT_EQ(refresh.items[1].clientHandle, 12u);
  for (OPCHANDLE handle : handles) EXPECT_TRUE(Changed(handle));
}

TEST_F(DataObject, WriteResultsGoToTheWriteSinkInHandleOrder) {
  NewTag("Dev.A", MakeI4(1));
  const std::vector<OPCHANDLE> handles = Add({{"Dev.A", "", 11}, {"Dev.A", "", 12}});
  // No write sink: nothing.
  Holder().SendWriteResult(8, {handles[0]}, {S_OK});
  ASSERT_EQ(Advise(kWrite, &writeSink), S_OK);
  ASSERT_EQ(group.RemoveItems({handles[1]}).hr, S_OK);
  Holder().SendWriteResult(9, {handles[1], handles[0]}, {OPC_E_BADRIGHTS, S_OK});

  const std::vector<RecordingAdviseSink::Received> streams = writeSink.Streams();
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].format.cfFormat, kWrite);
  EXPECT_FALSE(streams[0].lockHeld);
  ASSERT_EQ(streams[0].bytes.size(), 16u + 2 * 8);
  const WriteCompleteStream stream = ReadWriteCompleteStream(streams[0].bytes);
  EXPECT_EQ(stream.count, 2u);
  EXPECT_EQ(stream.groupClientHandle, kGroupClientHandle);
  EXPECT_EQ(stream.transactionId, 9u);
  EXPECT_EQ(stream.status, 0u);
  // The removed item is named by its server handle.
  EXPECT_EQ(stream.results, (std::vector<std::pair<OPCHANDLE, HRESULT>>{{handles[1], OPC_E_BADRIGHTS}, {11, S_OK}}));
}

TEST_F(DataObject, ASinkLeavingWhileStreamsGoOutIsNeverCalledAfterItsRelease) {
  NewTag("Dev.Flow", MakeI4(9));
  const std::vector<OPCHANDLE> handles = Add({{"Dev.Flow"}});
  std::atomic<bool> running{true};
  std::thread pulses([&] {
    while (running) {
      WithItem(handles[0], [](OPCGroupItem& item) { item.changed = TRUE; });
      Holder().SendSubscriptionData(true);
    }
  });
  for (int round = 0; round < 200; ++round) {
    ASSERT_EQ(Advise(kData, &dataSink), S_OK);
    ASSERT_EQ(offered->DUnadvise(kData), S_OK);
  }
  running = false;
  pulses.join();
  EXPECT_EQ(dataSink.UnreferencedCalls(), 0);
  EXPECT_EQ(dataSink.References(), 0);
}

TEST_F(DataObject, TheGroupsScanSendsItsChangesOncePerChange) {
  NewTag("Dev.Flow", MakeI4(9));
  const std::vector<OPCHANDLE> handles = Add({{"Dev.Flow", "", 1}});
  ASSERT_EQ(Advise(kTime, &timeSink), S_OK);
  // The server's worker scans the group once it is active.
  DWORD rate = 100;
  BOOL active = TRUE;
  ASSERT_TRUE(SUCCEEDED(group.State()->SetState(&rate, &rate, &active, nullptr, nullptr, nullptr, nullptr)));
  ASSERT_TRUE(Eventually([&] { return !timeSink.Streams().empty(); }));
  EXPECT_FALSE(Changed(handles[0]));
  ASSERT_EQ(RefreshAllClients(), TRUE);
  ASSERT_EQ(timeSink.Streams().size(), 1u);
  EXPECT_EQ(ReadDataStream(timeSink.Streams()[0].bytes, true).items[0].Int32(), 9);
}
