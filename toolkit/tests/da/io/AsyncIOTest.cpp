// A group's asynchronous reads, writes and refreshes through IOPCAsyncIO (Data
// Access 1.0) and IOPCAsyncIO2 (2.0): the order of each method's checks, the
// ids, cancellation, the queue's room, and what the drain delivers. The group
// belongs to a server object without a worker thread, so the test alone
// decides when the queue is drained.
#include "app/CVorlixApp.h"
#include "da/group/OPCGroup.h"
#include "da/server/OPCServer.h"
#include "support/DataStreamReader.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "support/RecordingAdviseSink.h"
#include "support/RunningServer.h"
#include "support/TestDataCallback.h"
#include "support/TraceCapture.h"

#include "platform/IConnectionPoint.h"
#include "platform/IConnectionPointContainer.h"
#include "platform/IDataObject.h"
#include "platform/IOPCAsyncIO2.h"
#include "platform/clipboard.h"
#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using Call = TestDataCallback::Call;

constexpr OPCHANDLE kGroupClientHandle = 77;

// What the host's write callback was asked, and what it answers.
struct HostWrite {
  DWORD tag;
  float value;
  bool lockHeld;
};
std::vector<HostWrite> hostWrites;
DWORD hostAnswer = 0;

void RecordHostWrite(DWORD tag, VARIANT* value, DWORD* result, char*) {
  hostWrites.push_back({tag, value->fltVal, VorlixApp().GetServerLock().HeldByCurrentThread()});
  *result = hostAnswer;
}

// The errors of an asynchronous call, copied out of task memory.
struct Queued {
  HRESULT hr;
  DWORD id;
  std::vector<HRESULT> errors;
};

std::vector<OPCHANDLE> ClientHandles(const Call& call) {
  std::vector<OPCHANDLE> handles;
  for (const TestDataCallback::Item& item : call.items) handles.push_back(item.clientHandle);
  return handles;
}

std::vector<HRESULT> ItemErrors(const Call& call) {
  std::vector<HRESULT> errors;
  for (const TestDataCallback::Item& item : call.items) errors.push_back(item.error);
  return errors;
}

class AsyncIO : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(running_.Started());
    ASSERT_EQ(server_->QueryInterface(IID_IOPCServer, reinterpret_cast<void**>(&opc_)), S_OK);
    NewTag("Plant.Flow");
    NewTag("Plant.Level");
    OpcTestGroup::Options options;
    options.clientHandle = kGroupClientHandle;
    group_ = std::make_unique<OpcTestGroup>(opc_, "Async", options);
    ASSERT_EQ(group_->Added(), S_OK);
    for (const OPCITEMRESULT& result : group_->AddItems({{"Plant.Flow", "", 1}, {"Plant.Level", "", 2}}).results) {
      handles_.push_back(result.hServer);
    }
    ASSERT_EQ(group_->Unknown()->QueryInterface(IID_IOPCAsyncIO, reinterpret_cast<void**>(&io1_)), S_OK);
    ASSERT_EQ(group_->Unknown()->QueryInterface(IID_IOPCAsyncIO2, reinterpret_cast<void**>(&io2_)), S_OK);
  }
  void TearDown() override {
    EnableWriteNotification2(nullptr, FALSE);
    hostWrites.clear();
    hostAnswer = 0;
    if (point_ != nullptr) point_->Release();
    if (data_ != nullptr) data_->Release();
    if (io1_ != nullptr) io1_->Release();
    if (io2_ != nullptr) io2_->Release();
    group_.reset();
    if (opc_ != nullptr) opc_->Release();
  }

  OPCGroup& Group() { return *static_cast<OPCGroup*>(group_->Unknown()); }

  // The client's IOPCDataCallback sink on the group's connection point.
  void AdviseCallback() {
    point_ = group_->AdviseDataCallback(&callback_);
    ASSERT_NE(point_, nullptr);
  }
  // A Data Access 1.0 advise sink for the stream format of that name.
  void AdviseStream(const char* format, RecordingAdviseSink& sink) {
    if (data_ == nullptr) {
      ASSERT_EQ(group_->Unknown()->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&data_)), S_OK);
    }
    FORMATETC formatetc{static_cast<CLIPFORMAT>(RegisterClipboardFormatA(format)), nullptr, DVASPECT_CONTENT, -1,
                        TYMED_HGLOBAL};
    DWORD connection = 0;
    ASSERT_EQ(data_->DAdvise(&formatetc, 0, &sink, &connection), S_OK);
  }

  // A call naming items: `call(count, handles, values, id out, errors out)`.
  template <class Call>
  static Queued Queue(std::vector<OPCHANDLE> handles, const std::vector<float>& values, Call call) {
    std::vector<VARIANT> variants;
    for (float value : values) variants.push_back(MakeR4(value));
    Queued queued{E_FAIL, 0, {}};
    HRESULT* errors = nullptr;
    queued.hr = call(static_cast<DWORD>(handles.size()), handles.data(), variants.data(), &queued.id, &errors);
    queued.errors = TakeErrors(errors, handles.size());
    return queued;
  }
  Queued Read1(std::vector<OPCHANDLE> handles) {
    return Queue(std::move(handles), {}, [&](DWORD n, OPCHANDLE* h, VARIANT*, DWORD* id, HRESULT** errors) {
      return io1_->Read(0, OPC_DS_CACHE, n, h, id, errors);
    });
  }
  Queued Write1(std::vector<OPCHANDLE> handles, const std::vector<float>& values) {
    return Queue(std::move(handles), values, [&](DWORD n, OPCHANDLE* h, VARIANT* v, DWORD* id, HRESULT** errors) {
      return io1_->Write(0, n, h, v, id, errors);
    });
  }
  Queued Read2(std::vector<OPCHANDLE> handles, DWORD transactionId) {
    return Queue(std::move(handles), {}, [&](DWORD n, OPCHANDLE* h, VARIANT*, DWORD* id, HRESULT** errors) {
      return io2_->Read(n, h, transactionId, id, errors);
    });
  }
  Queued Write2(std::vector<OPCHANDLE> handles, const std::vector<float>& values, DWORD transactionId) {
    return Queue(std::move(handles), values, [&](DWORD n, OPCHANDLE* h, VARIANT* v, DWORD* id, HRESULT** errors) {
      return io2_->Write(n, h, v, transactionId, id, errors);
    });
  }
  HRESULT Refresh1() {
    DWORD id = 0;
    return io1_->Refresh(0, OPC_DS_CACHE, &id);
  }
  HRESULT Refresh2(DWORD transactionId, DWORD* cancelId = nullptr) {
    DWORD id = 0;
    return io2_->Refresh2(OPC_DS_CACHE, transactionId, cancelId != nullptr ? cancelId : &id);
  }
  // One pulse of the client's worker, as far as the queue goes.
  void Drain() { server_->ProcessAsyncRequests(); }

  RunningServer running_{100};
  // Declared before the server, so that they outlive the group.
  TestDataCallback callback_;
  RecordingAdviseSink dataSink_, writeSink_;
  const std::unique_ptr<OPCServer> server_ = std::make_unique<OPCServer>();
  IOPCServer* opc_ = nullptr;
  std::unique_ptr<OpcTestGroup> group_;
  std::vector<OPCHANDLE> handles_;
  IOPCAsyncIO* io1_ = nullptr;
  IOPCAsyncIO2* io2_ = nullptr;
  IConnectionPoint* point_ = nullptr;
  IDataObject* data_ = nullptr;
};

}  // namespace

TEST_F(AsyncIO, EachInterfaceHasOneHolderThatTracesAndDefersToTheGroup) {
  TraceCapture trace;
  IOPCAsyncIO* again1 = nullptr;
  IOPCAsyncIO2* again2 = nullptr;
  const LONG before = Group().ReferenceCount();
  ASSERT_EQ(io1_->QueryInterface(IID_IOPCAsyncIO, reinterpret_cast<void**>(&again1)), S_OK);
  ASSERT_EQ(io2_->QueryInterface(IID_IOPCAsyncIO2, reinterpret_cast<void**>(&again2)), S_OK);
  EXPECT_EQ(again1, io1_);
  EXPECT_EQ(again2, io2_);
  EXPECT_EQ(Group().ReferenceCount(), before + 2);
  again1->Release();
  again2->Release();
  EXPECT_EQ(Group().ReferenceCount(), before);
  const std::vector<std::string> lines = trace.Texts();
  for (const char* expected :
       {"IOPCASyncIO::QueryInterface() [defered to OPCGroup]", "OPCGroup::QueryInterface IID_IOPCAsyncIO",
        "IOPCASyncIO2::QueryInterface() [defered to OPCGroup]", "OPCGroup::QueryInterface IID_IOPCAsyncIO2",
        "IOPCASyncIO::Release() [defered to OPCGroup]", "IOPCASyncIO2::Release() [defered to OPCGroup]"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
  }
}

TEST_F(AsyncIO, WithoutSinksMissingArgumentsComeFirstThenTheMissingConnection) {
  TraceCapture trace;
  OPCHANDLE* handles = handles_.data();
  VARIANT values[2] = {MakeR4(1.0f), MakeR4(2.0f)};
  DWORD id = 99;
  HRESULT* errors = reinterpret_cast<HRESULT*>(1);
  const struct {
    const char* call;
    HRESULT expected;
    HRESULT actual;
  } cases[] = {
      {"1.0 Read, no items", E_INVALIDARG, io1_->Read(0, OPC_DS_CACHE, 0, handles, &id, &errors)},
      {"1.0 Read, no handles", E_INVALIDARG, io1_->Read(0, OPC_DS_CACHE, 2, nullptr, &id, &errors)},
      {"1.0 Read, no id out", E_INVALIDARG, io1_->Read(0, OPC_DS_CACHE, 2, handles, nullptr, &errors)},
      {"1.0 Read, no errors out", E_INVALIDARG, io1_->Read(0, OPC_DS_CACHE, 2, handles, &id, nullptr)},
      {"1.0 Read", CONNECT_E_NOCONNECTION, io1_->Read(0, OPC_DS_CACHE, 2, handles, &id, &errors)},
      {"1.0 Write, no values", E_INVALIDARG, io1_->Write(0, 2, handles, nullptr, &id, &errors)},
      {"1.0 Write, no id out", E_INVALIDARG, io1_->Write(0, 2, handles, values, nullptr, &errors)},
      {"1.0 Write", CONNECT_E_NOCONNECTION, io1_->Write(0, 2, handles, values, &id, &errors)},
      {"1.0 Refresh, no id out", E_INVALIDARG, io1_->Refresh(0, OPC_DS_CACHE, nullptr)},
      {"1.0 Refresh", CONNECT_E_NOCONNECTION, io1_->Refresh(0, OPC_DS_CACHE, &id)},
      {"1.0 Cancel", E_FAIL, io1_->Cancel(1)},
      {"2.0 Read, no items", E_INVALIDARG, io2_->Read(0, handles, 5, &id, &errors)},
      {"2.0 Read, no cancel id out", E_INVALIDARG, io2_->Read(2, handles, 5, nullptr, &errors)},
      {"2.0 Read", CONNECT_E_NOCONNECTION, io2_->Read(2, handles, 5, &id, &errors)},
      {"2.0 Write, no values", E_INVALIDARG, io2_->Write(2, handles, nullptr, 5, &id, &errors)},
      {"2.0 Write, no errors out", E_INVALIDARG, io2_->Write(2, handles, values, 5, &id, nullptr)},
      {"2.0 Write", CONNECT_E_NOCONNECTION, io2_->Write(2, handles, values, 5, &id, &errors)},
      {"Refresh2, no cancel id out", E_INVALIDARG, io2_->Refresh2(OPC_DS_CACHE, 5, nullptr)},
      {"Refresh2", CONNECT_E_NOCONNECTION, io2_->Refresh2(OPC_DS_CACHE, 5, &id)},
      {"Cancel2", E_FAIL, io2_->Cancel2(1)},
      {"SetEnable", CONNECT_E_NOCONNECTION, io2_->SetEnable(FALSE)},
      {"GetEnable, no out", CONNECT_E_NOCONNECTION, io2_->GetEnable(nullptr)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.call;
  // A failed call hands nothing out.
  EXPECT_EQ(id, 0u);
  EXPECT_EQ(errors, nullptr);
  EXPECT_EQ(Group().Transactions().Pending(), 0u);

  const std::vector<std::string> lines = trace.Texts();
  for (const char* expected : {"IOPCASyncIO::Read", "IOPCASyncIO::Write", "IOPCASyncIO::Refresh", "IOPCASyncIO::Cancel",
                               "IOPCASyncIO2::Read", "IOPCASyncIO2::Write", "IOPCASyncIO2::Refresh2",
                               "IOPCASyncIO2::Cancel2"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
  }
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.find("Enable") != std::string::npos; }),
            0);
}

TEST_F(AsyncIO, AGroupRemovedByForceAnswersEFailOnceTheArgumentsAreChecked) {
  ASSERT_EQ(opc_->RemoveGroup(group_->ServerHandle(), TRUE), S_OK);
  OPCHANDLE* handles = handles_.data();
  VARIANT values[2] = {MakeR4(1.0f), MakeR4(2.0f)};
  DWORD id = 0;
  HRESULT* errors = nullptr;
  BOOL enabled = FALSE;
  EXPECT_EQ(io1_->Read(0, OPC_DS_CACHE, 0, handles, &id, &errors), E_INVALIDARG);
  EXPECT_EQ(io1_->Read(0, OPC_DS_CACHE, 2, handles, &id, &errors), E_FAIL);
  EXPECT_EQ(io1_->Write(0, 2, handles, values, &id, &errors), E_FAIL);
  EXPECT_EQ(io1_->Refresh(0, OPC_DS_CACHE, &id), E_FAIL);
  EXPECT_EQ(io1_->Cancel(1), E_FAIL);
  EXPECT_EQ(io2_->Read(2, handles, 5, &id, &errors), E_FAIL);
  EXPECT_EQ(io2_->Write(2, handles, values, 5, &id, &errors), E_FAIL);
  EXPECT_EQ(io2_->Refresh2(OPC_DS_CACHE, 5, &id), E_FAIL);
  EXPECT_EQ(io2_->Cancel2(1), E_FAIL);
  EXPECT_EQ(io2_->SetEnable(TRUE), E_FAIL);
  EXPECT_EQ(io2_->GetEnable(&enabled), E_FAIL);
}

TEST_F(AsyncIO, WithTheQueueFullEachMethodAnswersInItsOwnOrderOfChecks) {
  // Ten 2.0 refreshes fill the queue; the client has no 1.0 sink.
  AdviseCallback();
  for (DWORD i = 0; i < 10; ++i) ASSERT_EQ(Refresh2(100 + i), S_OK) << i;
  VARIANT values[2] = {MakeR4(1.0f), MakeR4(2.0f)};
  OPCHANDLE* handles = handles_.data();
  DWORD id = 0;
  HRESULT* errors = nullptr;
  BOOL enabled = FALSE;
  const struct {
    const char* call;
    HRESULT expected;
    HRESULT actual;
  } withoutStreamSinks[] = {
      {"1.0 Read", CONNECT_E_NOCONNECTION, io1_->Read(0, OPC_DS_CACHE, 2, handles, &id, &errors)},
      {"1.0 Write", E_FAIL, io1_->Write(0, 2, handles, values, &id, &errors)},
      {"1.0 Refresh", E_FAIL, io1_->Refresh(0, OPC_DS_CACHE, &id)},
      {"2.0 Read", E_FAIL, io2_->Read(2, handles, 1, &id, &errors)},
      {"2.0 Write", E_FAIL, io2_->Write(2, handles, values, 1, &id, &errors)},
      {"Refresh2", E_FAIL, io2_->Refresh2(OPC_DS_CACHE, 1, &id)},
      {"GetEnable", S_OK, io2_->GetEnable(&enabled)},
  };
  for (const auto& c : withoutStreamSinks) EXPECT_EQ(c.actual, c.expected) << c.call;
  EXPECT_TRUE(enabled);
  EXPECT_TRUE(callback_.Calls().empty());
  Drain();
  EXPECT_EQ(Group().Transactions().Pending(), 0u);
  EXPECT_EQ(callback_.Take().size(), 10u);

  // Ten 1.0 refreshes fill it again; now the 2.0 sink is gone.
  ASSERT_EQ(point_->Unadvise(1), S_OK);
  AdviseStream("OPCSTMFORMATDATA", dataSink_);
  for (DWORD i = 0; i < 10; ++i) ASSERT_EQ(Refresh1(), S_OK) << i;
  const struct {
    const char* call;
    HRESULT expected;
    HRESULT actual;
  } withoutCallback[] = {
      {"1.0 Read", E_FAIL, io1_->Read(0, OPC_DS_CACHE, 2, handles, &id, &errors)},
      {"1.0 Write", E_FAIL, io1_->Write(0, 2, handles, values, &id, &errors)},
      {"2.0 Read", CONNECT_E_NOCONNECTION, io2_->Read(2, handles, 1, &id, &errors)},
      {"2.0 Write", E_FAIL, io2_->Write(2, handles, values, 1, &id, &errors)},
      {"Refresh2", E_FAIL, io2_->Refresh2(OPC_DS_CACHE, 1, &id)},
      {"GetEnable", CONNECT_E_NOCONNECTION, io2_->GetEnable(nullptr)},
  };
  for (const auto& c : withoutCallback) EXPECT_EQ(c.actual, c.expected) << c.call;
  EXPECT_EQ(Group().Transactions().Pending(), 10u);
  EXPECT_EQ(errors, nullptr);
  EXPECT_EQ(id, 0u);
}

TEST_F(AsyncIO, TransactionIdsComeFromOneCounterAndA20RequestKeepsTheClientsOwn) {
  AdviseCallback();
  AdviseStream("OPCSTMFORMATDATA", dataSink_);
  const Queued first = Read1({handles_[0]});
  const Queued second = Read1({handles_[1]});
  const Queued third = Read2({handles_[0], handles_[1]}, 555);
  EXPECT_EQ(first.hr, S_OK);
  EXPECT_EQ(first.id, 1u);
  EXPECT_EQ(second.id, 2u);
  EXPECT_EQ(third.hr, S_OK);
  EXPECT_EQ(third.id, 3u);
  EXPECT_EQ(third.errors, (std::vector<HRESULT>{S_OK, S_OK}));
  Drain();

  const std::vector<RecordingAdviseSink::Received> streams = dataSink_.Streams();
  ASSERT_EQ(streams.size(), 2u);
  EXPECT_EQ(ReadDataStream(streams[0].bytes, false).transactionId, 1u);
  EXPECT_EQ(ReadDataStream(streams[1].bytes, false).transactionId, 2u);
  const std::vector<Call> calls = callback_.Take();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].kind, Call::kReadComplete);
  EXPECT_EQ(calls[0].transactionId, 555u);
  EXPECT_EQ(calls[0].group, kGroupClientHandle);
  EXPECT_EQ(ClientHandles(calls[0]), (std::vector<OPCHANDLE>{1, 2}));
  EXPECT_FALSE(calls[0].underLock);
}

TEST_F(AsyncIO, ACancelledRequestCompletesAsCancelledOnlyForA20Client) {
  AdviseCallback();
  AdviseStream("OPCSTMFORMATDATA", dataSink_);
  const Queued old = Read1({handles_[0]});
  const Queued current = Read2({handles_[0]}, old.id);
  ASSERT_EQ(old.id, 1u);
  ASSERT_EQ(current.id, 2u);
  // Cancel2 does not know 1.0 ids, and Cancel not 2.0 ones: the 2.0 request
  // whose client chose the same transaction id stays.
  EXPECT_EQ(io2_->Cancel2(old.id), E_FAIL);
  EXPECT_EQ(io1_->Cancel(old.id), S_OK);
  EXPECT_EQ(io1_->Cancel(current.id), E_FAIL);
  EXPECT_EQ(io2_->Cancel2(current.id), S_OK);
  Drain();

  // The cancelled 1.0 read sends nothing; the 2.0 one its cancellation.
  EXPECT_TRUE(dataSink_.Streams().empty());
  const std::vector<Call> calls = callback_.Take();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].kind, Call::kCancelComplete);
  EXPECT_EQ(calls[0].transactionId, old.id);
  EXPECT_EQ(calls[0].group, kGroupClientHandle);
  // Delivered: nothing is pending to cancel any more.
  EXPECT_EQ(io2_->Cancel2(current.id), E_FAIL);
  EXPECT_EQ(io1_->Cancel(old.id), E_FAIL);
}

TEST_F(AsyncIO, AnAsyncWriteCallsTheHostAtOnceAndItsCompletionCarriesEachItemsResult) {
  const DWORD readOnly = CreateTag(const_cast<char*>("Plant.Setpoint"), MakeR4(0.0f), OPC_QUALITY_GOOD, FALSE);
  std::vector<OPCHANDLE> handles = {group_->AddItems({{"Plant.Setpoint", "", 3}}).results[0].hServer, handles_[0]};
  AdviseCallback();
  ASSERT_TRUE(EnableWriteNotification2(RecordHostWrite, TRUE));

  const Queued written = Write2(handles, {4.0f, 5.0f}, 42);
  EXPECT_EQ(written.hr, S_OK);
  EXPECT_EQ(written.errors, (std::vector<HRESULT>{S_OK, S_OK}));
  // The host has had the writable item alone, before the call returned, without the lock.
  ASSERT_EQ(hostWrites.size(), 1u);
  EXPECT_NE(hostWrites[0].tag, readOnly);
  EXPECT_EQ(hostWrites[0].value, 5.0f);
  EXPECT_FALSE(hostWrites[0].lockHeld);
  EXPECT_TRUE(callback_.Calls().empty());

  // The host refuses the next one with a result word of its own.
  hostAnswer = static_cast<DWORD>(OPC_E_RANGE);
  EXPECT_EQ(Write2({handles_[0]}, {6.0f}, 43).hr, S_OK);
  Drain();
  const std::vector<Call> calls = callback_.Take();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].kind, Call::kWriteComplete);
  EXPECT_EQ(calls[0].transactionId, 42u);
  EXPECT_EQ(calls[0].masterError, S_FALSE);
  EXPECT_EQ(ClientHandles(calls[0]), (std::vector<OPCHANDLE>{3, 1}));
  EXPECT_EQ(ItemErrors(calls[0]), (std::vector<HRESULT>{OPC_E_BADRIGHTS, S_OK}));
  EXPECT_EQ(calls[1].transactionId, 43u);
  EXPECT_EQ(ItemErrors(calls[1]), std::vector<HRESULT>{OPC_E_RANGE});
  // The refused value did not stay in the item.
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  EXPECT_EQ(Group().FindItem(handles_[0])->value.fltVal, 5.0f);
}

TEST_F(AsyncIO, A10WriteSendsItsResultsInTheWriteCompleteStream) {
  AdviseStream("OPCSTMFORMATWRITECOMPLETE", writeSink_);
  const Queued written = Write1({handles_[1], handles_[0]}, {7.0f, 8.0f});
  EXPECT_EQ(written.hr, S_OK);
  EXPECT_EQ(written.id, 1u);
  Drain();
  const std::vector<RecordingAdviseSink::Received> streams = writeSink_.Streams();
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_FALSE(streams[0].lockHeld);
  const WriteCompleteStream stream = ReadWriteCompleteStream(streams[0].bytes);
  EXPECT_EQ(stream.transactionId, 1u);
  EXPECT_EQ(stream.groupClientHandle, kGroupClientHandle);
  EXPECT_EQ(stream.results, (std::vector<std::pair<OPCHANDLE, HRESULT>>{{2, S_OK}, {1, S_OK}}));
}

TEST_F(AsyncIO, UnknownHandlesFailAloneAndARequestWithoutAnyValidOneIsNotQueued) {
  AdviseCallback();
  AdviseStream("OPCSTMFORMATDATA", dataSink_);
  AdviseStream("OPCSTMFORMATWRITECOMPLETE", writeSink_);
  const OPCHANDLE unknown = 0x7FFF0001;
  ASSERT_TRUE(EnableWriteNotification2(RecordHostWrite, TRUE));

  const Queued someRead = Read2({unknown, handles_[1]}, 7);
  EXPECT_EQ(someRead.hr, S_FALSE);
  EXPECT_EQ(someRead.errors, (std::vector<HRESULT>{OPC_E_INVALIDHANDLE, S_OK}));
  EXPECT_NE(someRead.id, 0u);
  const Queued someWrite = Write1({handles_[0], unknown}, {3.0f, 4.0f});
  EXPECT_EQ(someWrite.hr, S_FALSE);
  EXPECT_EQ(someWrite.errors, (std::vector<HRESULT>{S_OK, OPC_E_INVALIDHANDLE}));
  EXPECT_EQ(hostWrites.size(), 1u);

  const Queued noRead2 = Read2({unknown}, 8);
  EXPECT_EQ(noRead2.hr, S_FALSE);
  EXPECT_EQ(noRead2.errors, std::vector<HRESULT>{OPC_E_INVALIDHANDLE});
  EXPECT_EQ(noRead2.id, 0u);
  const Queued noWrite1 = Write1({unknown, unknown}, {1.0f, 2.0f});
  EXPECT_EQ(noWrite1.hr, OPC_E_INVALIDHANDLE);
  EXPECT_TRUE(noWrite1.errors.empty());
  EXPECT_EQ(noWrite1.id, 0u);
  EXPECT_EQ(hostWrites.size(), 1u);
  EXPECT_EQ(Group().Transactions().Pending(), 2u);

  Drain();
  const std::vector<Call> calls = callback_.Take();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].transactionId, 7u);
  EXPECT_EQ(ClientHandles(calls[0]), std::vector<OPCHANDLE>{2});
  ASSERT_EQ(writeSink_.Streams().size(), 1u);
  EXPECT_EQ(ReadWriteCompleteStream(writeSink_.Streams()[0].bytes).results,
            (std::vector<std::pair<OPCHANDLE, HRESULT>>{{1, S_OK}}));
}

TEST_F(AsyncIO, ADrainDeliversInQueueOrderAndLeavesARemovedSinksRequestsUnsent) {
  AdviseCallback();
  // A refresh of an inactive group is taken as well.
  BOOL inactive = FALSE;
  DWORD revised = 0;
  ASSERT_EQ(group_->State()->SetState(nullptr, &revised, &inactive, nullptr, nullptr, nullptr, nullptr), S_OK);
  ASSERT_EQ(Read2({handles_[1]}, 1).hr, S_OK);
  ASSERT_EQ(Refresh2(2), S_OK);
  ASSERT_EQ(Read2({handles_[0]}, 3).hr, S_OK);
  Drain();
  std::vector<Call> calls = callback_.Take();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].kind, Call::kReadComplete);
  EXPECT_EQ(calls[0].transactionId, 1u);
  EXPECT_EQ(calls[1].kind, Call::kDataChange);
  EXPECT_EQ(calls[1].transactionId, 2u);
  EXPECT_EQ(calls[2].transactionId, 3u);

  // The sink goes before the drain: the requests go without a result.
  ASSERT_EQ(Read2({handles_[0]}, 4).hr, S_OK);
  ASSERT_EQ(point_->Unadvise(1), S_OK);
  Drain();
  EXPECT_EQ(Group().Transactions().Pending(), 0u);
  EXPECT_TRUE(callback_.Calls().empty());
}

TEST_F(AsyncIO, RequestsStillQueuedWhenTheGroupGoesAreDroppedUnsent) {
  AdviseCallback();
  ASSERT_EQ(Read2({handles_[0]}, 1).hr, S_OK);
  ASSERT_EQ(Refresh2(2), S_OK);
  // The client lets go of the group, then the server does.
  for (IUnknown** held : {reinterpret_cast<IUnknown**>(&point_), reinterpret_cast<IUnknown**>(&io1_),
                          reinterpret_cast<IUnknown**>(&io2_)}) {
    (*held)->Release();
    *held = nullptr;
  }
  const OPCHANDLE serverHandle = group_->ServerHandle();
  group_.reset();
  ASSERT_EQ(opc_->RemoveGroup(serverHandle, FALSE), S_OK);
  Drain();
  EXPECT_TRUE(callback_.Calls().empty());
  EXPECT_EQ(callback_.References(), 0);
}
