#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "da/server/OPCServer.h"
#include "support/Eventually.h"
#include "support/OpcTestClient.h"
#include "support/RunningServer.h"
#include "support/ThreadCount.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// A rate no test outlives: only the server's own pulses wake the workers.
constexpr UINT kOneHour = 3600 * 1000;

struct DisconnectCall {
  DWORD remaining;
  DWORD thread;
  bool lockHeld;
};

std::mutex disconnectsLock;
std::vector<DisconnectCall> disconnects;

void RecordDisconnect(DWORD remaining) {
  std::lock_guard<std::mutex> guard(disconnectsLock);
  disconnects.push_back({remaining, GetCurrentThreadId(), VorlixApp().GetServerLock().HeldByCurrentThread()});
}

std::vector<DisconnectCall> Disconnects() {
  std::lock_guard<std::mutex> guard(disconnectsLock);
  return disconnects;
}

OPCServer& ServerOf(const OpcTestClient& client) { return *static_cast<OPCServer*>(client.Server()); }

// The server running at a rate, with two clients connected.
struct TwoClients {
  explicit TwoClients(UINT rate) : server(rate) {
    connected = server.Started() && first.Connect() == S_OK && second.Connect() == S_OK;
  }
  RunningServer server;
  OpcTestClient first;
  OpcTestClient second;
  bool connected;
};

}  // namespace

TEST(ClientConnection, AConnectedClientIsCountedAndScannedAtTheServerRate) {
  TwoClients clients(0);
  ASSERT_TRUE(clients.connected);
  EXPECT_EQ(NumbrClientConnections(), 2);
  EXPECT_EQ(VorlixApp().ClientThreadCount(), 2);
  EXPECT_TRUE(Eventually([&] { return ServerOf(clients.first).ScanCount() >= 5; }));

  // No client has a shutdown sink yet: the request reaches none, and all stay.
  EXPECT_EQ(RequestDisconnect(), 2);
  EXPECT_EQ(NumbrClientConnections(), 2);
  const LONG scans = ServerOf(clients.second).ScanCount();
  EXPECT_TRUE(RefreshAllClients());
  EXPECT_GT(ServerOf(clients.second).ScanCount(), scans);
}

TEST(ClientConnection, TheLastReleaseTellsTheHostAndEndsTheWorkerInEitherThreadingModel) {
  EnableDisconnectNotification(RecordDisconnect);
  for (DWORD model : {0u, 2u}) {
    SetThreadingModel(model);
    TwoClients clients(kOneHour);
    ASSERT_TRUE(clients.connected);
    const int threadsWithClients = ThreadCount();
    IUnknown* again = nullptr;
    ASSERT_EQ(clients.first.Query(IID_IUnknown, &again), S_OK);  // a second reference
    const size_t before = Disconnects().size();

    EXPECT_EQ(clients.first.ReleaseAll(), 0u);
    EXPECT_EQ(clients.second.ReleaseAll(), 0u);
    const std::vector<DisconnectCall> calls = Disconnects();
    ASSERT_EQ(calls.size(), before + 2) << model;
    EXPECT_EQ(calls[before].remaining, 1u);
    EXPECT_EQ(calls[before + 1].remaining, 0u);
    for (size_t i = before; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].thread, GetCurrentThreadId());
      EXPECT_FALSE(calls[i].lockHeld);
    }
    EXPECT_EQ(NumbrClientConnections(), 0);
    EXPECT_TRUE(Eventually([] { return VorlixApp().ClientThreadCount() == 0; })) << model;
    EXPECT_TRUE(Eventually([&] { return ThreadCount() == threadsWithClients - 2; }));
  }
}

TEST(ClientConnection, UninitWithAClientStillConnectedReturnsAfterTheWait) {
  RunningServer server;
  ASSERT_TRUE(server.Started());
  OpcTestClient client;
  ASSERT_EQ(client.Connect(), S_OK);
  EXPECT_TRUE(UninitVarnOPCsvr());
  EXPECT_EQ(NumbrClientConnections(), 1);
  EXPECT_EQ(VorlixApp().ClientThreadCount(), 1);
  OpcTestClient late;
  EXPECT_EQ(late.Connect(), E_FAIL);
  client.ReleaseAll();
  EXPECT_TRUE(Eventually([] { return VorlixApp().ClientThreadCount() == 0; }));
}

TEST(ClientConnection, TheWorkerTracesTheNameOfTheClientItEndsFor) {
  TwoClients clients(10);
  ASSERT_TRUE(clients.connected);
  TraceCapture capture;
  ServerOf(clients.first).SetClientName("Test client");
  clients.first.ReleaseAll();
  clients.second.ReleaseAll();
  ASSERT_TRUE(Eventually([] { return VorlixApp().ClientThreadCount() == 0; }));
  const auto lines = capture.Lines();
  const auto ends = std::count_if(lines.begin(), lines.end(),
                                  [](const TraceCapture::Line& line) { return line.text.rfind("EndServer", 0) == 0; });
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [](const TraceCapture::Line& line) { return line.text == "EndServer Test client"; }));
}

TEST(ClientConnection, AClientWhoseWorkerCannotStartIsRefused) {
  RunningServer server;
  ASSERT_TRUE(server.Started());
  const int threadsBefore = ThreadCount();
  OpcTestClient client;
  ThreadFailNextCreations(1);
  EXPECT_EQ(client.Connect(), E_OUTOFMEMORY);
  EXPECT_EQ(client.Server(), nullptr);
  EXPECT_EQ(NumbrClientConnections(), 0);
  EXPECT_EQ(VorlixApp().ClientThreadCount(), 0);
  EXPECT_EQ(ThreadCount(), threadsBefore);
  EXPECT_EQ(client.Connect(), S_OK);
  EXPECT_EQ(NumbrClientConnections(), 1);
}

TEST(ClientConnection, TheExitStepEndsEveryThreadWithClientsStillAttached) {
  const int threadsBefore = ThreadCount();
  TwoClients clients(0);
  ASSERT_TRUE(clients.connected);

  VorlixApp().ExitInstance();
  EXPECT_EQ(VorlixApp().ClientThreadCount(), 0);
  EXPECT_EQ(NumbrClientConnections(), 0);
  EXPECT_EQ(ThreadCount(), threadsBefore);  // the timer's and the workers' are joined
  // Their worker threads deleted the objects.
  clients.first.Abandon();
  clients.second.Abandon();
  EXPECT_EQ(clients.first.Connect(), REGDB_E_CLASSNOTREG);
}
