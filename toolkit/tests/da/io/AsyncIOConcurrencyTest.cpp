// Asynchronous requests of one group from several client threads at once,
// while the client's worker and the host's refreshes drain the queue, the
// host's write callback confirms values, and the group is removed by force.
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/Eventually.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "support/RecordingAdviseSink.h"
#include "support/TestDataCallback.h"

#include "platform/IConnectionPoint.h"
#include "platform/IConnectionPointContainer.h"
#include "platform/IDataObject.h"
#include "platform/IOPCAsyncIO2.h"
#include "platform/clipboard.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int kClientThreads = 4;
constexpr int kRoundsAfterRemoval = 20;

// As a host does: confirms the written value with an update.
void ConfirmWrite(DWORD tag, VARIANT* value, DWORD* result, char*) {
  *result = UpdateTag(tag, *value, OPC_QUALITY_GOOD) ? 0 : static_cast<DWORD>(OPC_E_BADRIGHTS);
}

void Advise(IDataObject* data, const char* format, IAdviseSink* sink) {
  FORMATETC formatetc{static_cast<CLIPFORMAT>(RegisterClipboardFormatA(format)), nullptr, DVASPECT_CONTENT, -1,
                      TYMED_HGLOBAL};
  DWORD connection = 0;
  ASSERT_EQ(data->DAdvise(&formatetc, 0, sink, &connection), S_OK);
}

// One round of every asynchronous call of both interfaces; how many were accepted.
int OneRound(IOPCAsyncIO* io1, IOPCAsyncIO2* io2, std::vector<OPCHANDLE> handles, int round) {
  const DWORD count = static_cast<DWORD>(handles.size());
  std::vector<VARIANT> values(count, MakeR4(static_cast<float>(round)));
  int accepted = 0;
  DWORD id = 0;
  HRESULT* errors = nullptr;
  auto took = [&](HRESULT hr) {
    CoTaskMemFree(errors);
    errors = nullptr;
    if (SUCCEEDED(hr)) ++accepted;
  };
  took(io2->Read(count, handles.data(), round, &id, &errors));
  took(io2->Write(count, handles.data(), values.data(), round, &id, &errors));
  took(io2->Refresh2(OPC_DS_CACHE, round, &id));
  io2->Cancel2(id);
  took(io1->Read(0, OPC_DS_CACHE, count, handles.data(), &id, &errors));
  took(io1->Write(0, count, handles.data(), values.data(), &id, &errors));
  took(io1->Refresh(0, OPC_DS_CACHE, &id));
  io1->Cancel(id);
  return accepted;
}

}  // namespace

TEST(AsyncIOConcurrency, ClientThreadsQueueAndCancelWhileDrainsRunAndTheGroupIsRemovedByForce) {
  ConnectedClient connected(10);
  ASSERT_TRUE(connected.Ready());
  NewTag("Plant.Flow");
  NewTag("Plant.Level");
  ASSERT_TRUE(EnableWriteNotification2(ConfirmWrite, TRUE));
  // Declared before the group, so that they outlive it.
  TestDataCallback callback;
  RecordingAdviseSink dataSink, writeSink;
  OpcTestGroup group(connected.opc, "Busy");
  ASSERT_EQ(group.Added(), S_OK);
  std::vector<OPCHANDLE> handles;
  for (const OPCITEMRESULT& result : group.AddItems({{"Plant.Flow", "", 1}, {"Plant.Level", "", 2}}).results) {
    handles.push_back(result.hServer);
  }

  IConnectionPoint* point = group.AdviseDataCallback(&callback);
  ASSERT_NE(point, nullptr);
  IDataObject* data = nullptr;
  ASSERT_EQ(group.Unknown()->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&data)), S_OK);
  Advise(data, "OPCSTMFORMATDATA", &dataSink);
  Advise(data, "OPCSTMFORMATWRITECOMPLETE", &writeSink);
  IOPCAsyncIO* io1 = nullptr;
  IOPCAsyncIO2* io2 = nullptr;
  ASSERT_EQ(group.Unknown()->QueryInterface(IID_IOPCAsyncIO, reinterpret_cast<void**>(&io1)), S_OK);
  ASSERT_EQ(group.Unknown()->QueryInterface(IID_IOPCAsyncIO2, reinterpret_cast<void**>(&io2)), S_OK);

  std::atomic<int> accepted{0};
  std::atomic<bool> removed{false};
  std::vector<std::thread> clients;
  for (int t = 0; t < kClientThreads; ++t) {
    clients.emplace_back([&, t] {
      // A handle of another thread's item set too, and one no item has.
      std::vector<OPCHANDLE> mine = {handles[t % 2], handles[(t + 1) % 2]};
      if (t == 0) mine.push_back(0x7FFF0001);
      int round = 0;
      while (!removed) accepted += OneRound(io1, io2, mine, ++round);
      for (int after = 0; after < kRoundsAfterRemoval; ++after) accepted += OneRound(io1, io2, mine, ++round);
    });
  }
  std::thread host([&] {
    while (!removed) RefreshAllClients();
  });
  ASSERT_TRUE(Eventually([&] { return accepted > 200; }));
  ASSERT_EQ(connected.opc->RemoveGroup(group.ServerHandle(), TRUE), S_OK);
  removed = true;
  for (std::thread& client : clients) client.join();
  host.join();

  // Removed by force: the group answers nothing any more and keeps no request.
  DWORD id = 0;
  EXPECT_EQ(io2->Refresh2(OPC_DS_CACHE, 1, &id), E_FAIL);
  for (const TestDataCallback::Call& call : callback.Calls()) EXPECT_FALSE(call.underLock);
  for (const RecordingAdviseSink::Received& stream : dataSink.Streams()) EXPECT_FALSE(stream.lockHeld);
  for (const RecordingAdviseSink::Received& stream : writeSink.Streams()) EXPECT_FALSE(stream.lockHeld);
  io1->Release();
  io2->Release();
  data->Release();
  point->Release();
  group.Release();
  EXPECT_EQ(callback.References(), 0);
  EXPECT_EQ(dataSink.References(), 0);
  EnableWriteNotification2(nullptr, FALSE);
}
