#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "support/CountingUnknown.h"
#include "support/Eventually.h"
#include "support/OpcTestClient.h"
#include "support/RunningServer.h"
#include "support/ShutdownSink.h"
#include "support/TraceCapture.h"

#include "platform/IConnectionPointContainer.h"
#include "platform/IEnumConnectionPoints.h"
#include "platform/IEnumConnections.h"
#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// The server's reference count, read without changing it.
ULONG ReferencesOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

// A running server with one client connected, holding the server's container.
struct ConnectedClient {
  ConnectedClient() {
    connected = server.Started() && client.Connect() == S_OK &&
                client.Query(IID_IConnectionPointContainer, &container) == S_OK;
  }
  RunningServer server;
  OpcTestClient client;
  IConnectionPointContainer* container = nullptr;
  bool connected;
};

}  // namespace

TEST(ShutdownConnectionPoint, HoldsOneSinkUnderCookieOne) {
  ConnectedClient c;
  ASSERT_TRUE(c.connected);
  IConnectionPoint* point = c.client.ShutdownPoint();
  ASSERT_NE(point, nullptr);
  ShutdownSink first;
  ShutdownSink second;
  CountingUnknown notASink;
  DWORD cookie = 7;

  EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
  EXPECT_EQ(point->Advise(&first, nullptr), E_POINTER);
  EXPECT_EQ(point->Advise(&notASink, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(notASink.references, 1u);
  EXPECT_EQ(point->Unadvise(1), CONNECT_E_NOCONNECTION);

  ASSERT_EQ(point->Advise(&first, &cookie), S_OK);
  EXPECT_EQ(cookie, 1u);
  EXPECT_EQ(first.References(), 1u);
  EXPECT_EQ(point->Advise(&second, &cookie), CONNECT_E_ADVISELIMIT);
  EXPECT_EQ(second.References(), 0u);
  EXPECT_EQ(point->Unadvise(2), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(first.References(), 1u);  // the first sink stays

  EXPECT_EQ(point->Unadvise(1), S_OK);
  EXPECT_EQ(first.References(), 0u);
  EXPECT_EQ(point->Unadvise(1), CONNECT_E_NOCONNECTION);
  cookie = 0;
  ASSERT_EQ(point->Advise(&second, &cookie), S_OK);
  EXPECT_EQ(cookie, 1u);

  // A client that goes without unadvising: the server lets go of its sink when it goes.
  c.client.ReleaseAll();
  EXPECT_TRUE(Eventually([&] { return second.References() == 0; }));
}

TEST(ShutdownConnectionPoint, ContainerAndPointAnswerForThemselvesAndTheShutdownSinkOnly) {
  ConnectedClient c;
  ASSERT_TRUE(c.connected);
  IConnectionPointContainer* container = c.container;
  IConnectionPoint* point = c.client.ShutdownPoint();
  ASSERT_NE(point, nullptr);

  IConnectionPoint* found = point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IOPCDataCallback, &found), E_NOINTERFACE);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(container->FindConnectionPoint(IID_IOPCShutdown, nullptr), E_INVALIDARG);

  IID iid = IID_IUnknown;
  EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
  EXPECT_EQ(iid, IID_IOPCShutdown);
  EXPECT_EQ(point->GetConnectionInterface(nullptr), E_INVALIDARG);
  IConnectionPointContainer* owner = nullptr;
  ASSERT_EQ(point->GetConnectionPointContainer(&owner), S_OK);
  EXPECT_EQ(owner, container);
  owner->Release();
  EXPECT_EQ(point->GetConnectionPointContainer(nullptr), E_INVALIDARG);

  void* object = nullptr;
  ASSERT_EQ(point->QueryInterface(IID_IConnectionPoint, &object), S_OK);
  EXPECT_EQ(object, point);
  point->Release();
  ASSERT_EQ(container->QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(object, container);
  container->Release();
  EXPECT_EQ(container->QueryInterface(IID_IOPCShutdown, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(point->QueryInterface(IID_IConnectionPointContainer, &object), E_NOINTERFACE);
  EXPECT_EQ(point->QueryInterface(IID_IUnknown, nullptr), E_INVALIDARG);
}

TEST(ShutdownConnectionPoint, WritesTheServerInstancesTraceLines) {
  ConnectedClient c;
  ASSERT_TRUE(c.connected);
  IConnectionPointContainer* container = c.container;
  ShutdownSink sink;
  ShutdownSink second;
  TraceCapture capture;
  IConnectionPoint* point = nullptr;
  void* object = nullptr;
  IID iid;
  DWORD cookie = 0;
  container->FindConnectionPoint(IID_IOPCShutdown, &point);
  container->FindConnectionPoint(IID_IOPCDataCallback, &point);
  container->QueryInterface(IID_IMarshal, &object);
  point = nullptr;
  container->FindConnectionPoint(IID_IOPCShutdown, &point);
  point->QueryInterface(IID_IConnectionPoint, &object);
  point->GetConnectionInterface(&iid);
  point->Advise(&sink, &cookie);
  point->Advise(&second, &cookie);
  point->Advise(&sink, nullptr);
  point->Unadvise(2);
  point->Unadvise(1);
  point->Release();
  point->Release();
  EXPECT_EQ(capture.Texts(), (std::vector<std::string>{
                                          "CIOPCSvrConnectionContainer::FindConnectionPoint IID_IOPCShutdown",
                                          "OPCServerConnectionPoint::AddRef() [defered to OPCServerConnectionContainer]",
                                          "OPCServerConnectionContainer::AddRef() [defered to OPCServer]",
                                          "OPCServer::AddRef(3)",
                                          "CIOPCSvrConnectionContainer::FindConnectionPoint E_NOINTERFACE",
                                          "CIOPCServerConnectionContainer::QueryInterface IID_IMarshal",
                                          "CIOPCSvrConnectionContainer::FindConnectionPoint IID_IOPCShutdown",
                                          "OPCServerConnectionPoint::AddRef() [defered to OPCServerConnectionContainer]",
                                          "OPCServerConnectionContainer::AddRef() [defered to OPCServer]",
                                          "OPCServer::AddRef(4)",
                                          "OPCSvrConnectionPoint::QueryInterface IID_IConnectionPoint",
                                          "OPCServerConnectionPoint::AddRef() [defered to OPCServerConnectionContainer]",
                                          "OPCServerConnectionContainer::AddRef() [defered to OPCServer]",
                                          "OPCServer::AddRef(5)",
                                          "OPCServerConnectionPoint::GetConnectionInterface",
                                          "OPCServerConnectionPoint::Advise S_OK",
                                          "OPCServerConnectionPoint::Advise E_ADVISELIMIT",
                                          "OPCServerConnectionPoint::Advise E_POINTER",
                                          "OPCServerConnectionPoint::Uadvise CONNECT_E_NOCONNECTION",
                                          "OPCServerConnectionPoint::Release() [defered to OPCServerConnectionContainer]",
                                          "OPCServerConnectionContainer::Release() [defered to OPCServer]",
                                          "OPCServer::Release(5)",
                                          "OPCServerConnectionPoint::Release() [defered to OPCServerConnectionContainer]",
                                          "OPCServerConnectionContainer::Release() [defered to OPCServer]",
                                          "OPCServer::Release(4)",
                                      }));
}

TEST(ShutdownConnectionPoint, PointsEnumeratorHandsOutTheOnePoint) {
  ConnectedClient c;
  ASSERT_TRUE(c.connected);
  IConnectionPointContainer* container = c.container;
  IUnknown* server = c.client.Server();
  const ULONG before = ReferencesOf(server);

  EXPECT_EQ(container->EnumConnectionPoints(nullptr), E_INVALIDARG);
  IEnumConnectionPoints* points = nullptr;
  ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
  EXPECT_EQ(ReferencesOf(server), before + 1);  // the enumerator holds the server
  IConnectionPoint* found[2] = {nullptr, nullptr};
  ULONG fetched = 9;
  ASSERT_EQ(points->Next(1, found, &fetched), S_OK);
  EXPECT_EQ(fetched, 1u);
  IID iid;
  ASSERT_EQ(found[0]->GetConnectionInterface(&iid), S_OK);
  EXPECT_EQ(iid, IID_IOPCShutdown);
  found[0]->Release();
  EXPECT_EQ(points->Next(1, found, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(points->Skip(1), S_FALSE);

  EXPECT_EQ(points->Reset(), S_OK);
  EXPECT_EQ(points->Next(2, found, nullptr), E_POINTER);
  EXPECT_EQ(points->Next(1, nullptr, &fetched), E_POINTER);
  EXPECT_EQ(points->Next(2, found, &fetched), S_FALSE);  // one of two
  EXPECT_EQ(fetched, 1u);
  found[0]->Release();
  EXPECT_EQ(points->Reset(), S_OK);
  EXPECT_EQ(points->Skip(2), S_FALSE);
  EXPECT_EQ(points->Skip(1), S_OK);
  EXPECT_EQ(points->Next(1, found, nullptr), S_FALSE);

  // A clone starts where its original stands and walks on its own.
  points->Reset();
  IEnumConnectionPoints* clone = nullptr;
  ASSERT_EQ(points->Clone(&clone), S_OK);
  ASSERT_EQ(clone->Next(1, found, nullptr), S_OK);
  found[0]->Release();
  ASSERT_EQ(points->Next(1, found, nullptr), S_OK);
  found[0]->Release();
  EXPECT_EQ(clone->Release(), 0u);

  void* object = nullptr;
  ASSERT_EQ(points->QueryInterface(IID_IEnumConnectionPoints, &object), S_OK);
  EXPECT_EQ(object, points);
  EXPECT_EQ(points->QueryInterface(IID_IEnumConnections, &object), E_NOINTERFACE);
  points->AddRef();
  EXPECT_EQ(points->Release(), 2u);
  EXPECT_EQ(points->Release(), 1u);
  EXPECT_EQ(points->Release(), 0u);
  EXPECT_EQ(ReferencesOf(server), before);
}

TEST(ShutdownConnectionPoint, PointsEnumeratorCountsAndTracesItsOwnReferences) {
  ConnectedClient c;
  ASSERT_TRUE(c.connected);
  IConnectionPointContainer* container = c.container;
  IEnumConnectionPoints* points = nullptr;
  TraceCapture capture;
  ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
  points->AddRef();
  points->Release();
  IConnectionPoint* point = nullptr;
  points->Next(1, &point, nullptr);
  points->Skip(0);
  point->Release();
  points->Release();
  const std::vector<std::string> lines = capture.Texts();
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], "IOPCServerConnectionPtEnumerator::AddRef(1)");
  EXPECT_EQ(lines[1], "OPCServerConnectionContainer::AddRef() [defered to OPCServer]");
  EXPECT_EQ(lines[3], "CIOPCSvrConnectionContainer::EnumConnectionPoints S_OK");
  EXPECT_EQ(lines[4], "IOPCServerConnectionPtEnumerator::AddRef(2)");
  EXPECT_EQ(lines[7], "IOPCServerConnectionPtEnumerator::Release(2)");
  EXPECT_EQ(lines[10], "CIOPCServerConnectionPtEnumerator::Next");
  EXPECT_EQ(lines[11], "CIOPCSvrConnectionContainer::FindConnectionPoint IID_IOPCShutdown");
  EXPECT_EQ(lines.back(), "OPCServer::Release(3)");
  EXPECT_EQ(lines[lines.size() - 3], "IOPCServerConnectionPtEnumerator::Release(1)");
}

TEST(ShutdownConnectionPoint, EnumConnectionsListsTheSinkWithItsCookie) {
  ConnectedClient c;
  ASSERT_TRUE(c.connected);
  IConnectionPoint* point = c.client.ShutdownPoint();
  ASSERT_NE(point, nullptr);
  EXPECT_EQ(point->EnumConnections(nullptr), E_INVALIDARG);
  IEnumConnections* none = nullptr;
  ASSERT_EQ(point->EnumConnections(&none), S_OK);
  CONNECTDATA connection = {nullptr, 0};
  ULONG fetched = 9;
  EXPECT_EQ(none->Next(1, &connection, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(none->Release(), 0u);

  ShutdownSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  IEnumConnections* connections = nullptr;
  ASSERT_EQ(point->EnumConnections(&connections), S_OK);
  ASSERT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(sink.References(), 1u);  // the snapshot keeps the sink it listed
  IEnumConnections* clone = nullptr;
  ASSERT_EQ(connections->Clone(&clone), S_OK);
  ASSERT_EQ(connections->Next(1, &connection, nullptr), S_OK);
  EXPECT_EQ(connection.pUnk, static_cast<IOPCShutdown*>(&sink));
  EXPECT_EQ(connection.dwCookie, 1u);
  connection.pUnk->Release();
  EXPECT_EQ(connections->Skip(1), S_FALSE);
  EXPECT_EQ(clone->Skip(1), S_OK);
  EXPECT_EQ(connections->Release(), 0u);
  EXPECT_EQ(sink.References(), 1u);
  EXPECT_EQ(clone->Release(), 0u);
  EXPECT_EQ(sink.References(), 0u);
}

TEST(ShutdownRequest, RequestDisconnectReachesEachConnectedSinkOnceWithTheLockFree) {
  RunningServer server;
  ASSERT_TRUE(server.Started());
  OpcTestClient withSink;
  OpcTestClient withPointOnly;
  OpcTestClient plain;
  ASSERT_EQ(withSink.Connect(), S_OK);
  ASSERT_EQ(withPointOnly.Connect(), S_OK);
  ASSERT_EQ(plain.Connect(), S_OK);
  ASSERT_NE(withPointOnly.ShutdownPoint(), nullptr);
  IConnectionPoint* point = withSink.ShutdownPoint();
  ShutdownSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

  EXPECT_EQ(RequestDisconnect(), 3);
  std::vector<ShutdownSink::Request> requests = sink.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].reason, OLESTR(""));
  EXPECT_FALSE(requests[0].lockHeld);
  EXPECT_EQ(NumbrClientConnections(), 3);  // asking is all the server does

  ASSERT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(RequestDisconnect(), 3);
  EXPECT_EQ(sink.Requests().size(), 1u);
}

TEST(ShutdownRequest, AClientMayLetGoOfTheServerWhileItIsAsked) {
  RunningServer server;
  ASSERT_TRUE(server.Started());
  OpcTestClient client;
  ASSERT_EQ(client.Connect(), S_OK);
  IConnectionPoint* point = client.ShutdownPoint();
  ShutdownSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  sink.OnRequest([&] {
    point->Unadvise(cookie);
    client.ReleaseAll();
  });

  EXPECT_EQ(RequestDisconnect(), 1);
  EXPECT_EQ(sink.Requests().size(), 1u);
  EXPECT_EQ(NumbrClientConnections(), 0);
  EXPECT_TRUE(Eventually([] { return VorlixApp().ClientThreadCount() == 0; }));
  EXPECT_EQ(sink.References(), 0u);
}

TEST(ShutdownRequest, TheExitStepAsksEveryConnectedClient) {
  RunningServer server;
  ASSERT_TRUE(server.Started());
  OpcTestClient client;
  ASSERT_EQ(client.Connect(), S_OK);
  ShutdownSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(client.ShutdownPoint()->Advise(&sink, &cookie), S_OK);

  VorlixApp().ExitInstance();
  ASSERT_EQ(sink.Requests().size(), 1u);
  EXPECT_FALSE(sink.Requests()[0].lockHeld);
  // The worker deleted the server, which let go of the sink.
  EXPECT_EQ(sink.References(), 0u);
  client.Abandon();
}

TEST(ShutdownRequest, SinksComeAndGoWhileTheServerAsks) {
  ConnectedClient c;
  ASSERT_TRUE(c.connected);
  IConnectionPoint* point = c.client.ShutdownPoint();
  ASSERT_NE(point, nullptr);
  ShutdownSink sink;
  std::atomic<bool> done{false};
  std::thread advising([&] {
    for (int i = 0; i < 200; ++i) {
      DWORD cookie = 0;
      if (point->Advise(&sink, &cookie) == S_OK) point->Unadvise(cookie);
    }
    done = true;
  });
  while (!done) RequestDisconnect();
  advising.join();
  EXPECT_EQ(sink.References(), 0u);
}
