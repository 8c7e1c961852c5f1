#include "da/group/OPCGroup.h"
#include "da/server/OPCServer.h"
#include "support/TraceCapture.h"

#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A server object as the class factory makes it, but listed nowhere and with
// no worker thread: the test deletes it, as the worker would.
std::unique_ptr<OPCServer> UnlistedServer() { return std::make_unique<OPCServer>(); }

OPCGroup* AddGroup(OPCServer& server, const std::string& name, DWORD rate = 100) {
  OPCGroup::Settings settings;
  settings.name = name;
  settings.updateRate = rate;
  OPCGroup* group = new OPCGroup(server, settings);
  server.AddGroupToList(group);
  return group;
}

}  // namespace

TEST(OPCServer, QueryInterfaceAnswersInTableOrderWithItsTraceLine) {
  const std::unique_ptr<OPCServer> server = UnlistedServer();
  TraceCapture capture;
  // Interfaces whose methods are not built yet answer like those never offered.
  const struct {
    const IID& iid;
    const char* trace;
  } misses[] = {
      {IID_IOPCServerPublicGroups, "OPCServer::QueryInterface IID_IOPCServerPublicGroups"},
      {IID_IPersistFile, "OPCServer::QueryInterface IID_IPersistFile"},
      {IID_IPersist, "OPCServer::QueryInterface IID_IPersistFile"},
      {IID_IMarshal, "OPCServer::QueryInterface IID_IMarshal"},
      {IID_IOPCShutdown, "OPCServer::QueryInterface"},
  };
  for (const auto& miss : misses) {
    void* object = server.get();
    EXPECT_EQ(server->QueryInterface(miss.iid, &object), E_NOINTERFACE) << miss.trace;
    EXPECT_EQ(object, nullptr);
    ASSERT_FALSE(capture.Lines().empty());
    EXPECT_EQ(capture.Lines().back().text, miss.trace);
  }
  const size_t before = capture.Lines().size();
  void* object = nullptr;
  ASSERT_EQ(server->QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(object, static_cast<IUnknown*>(server.get()));
  EXPECT_EQ(server->QueryInterface(IID_IUnknown, nullptr), E_INVALIDARG);
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), before + 3);
  EXPECT_EQ(lines[before].text, "OPCServer::QueryInterface IID_IUnknown");
  EXPECT_EQ(lines[before + 1].text, "OPCServer::AddRef(1)");
  EXPECT_EQ(lines[before + 2].text, "OPCServer::QueryInterface E_INVALIDARG");
}

TEST(OPCServer, TheLastReleaseStopsTheObjectWithoutDeletingIt) {
  const std::unique_ptr<OPCServer> server = UnlistedServer();
  TraceCapture capture;
  EXPECT_TRUE(server->IsRunning());
  EXPECT_EQ(server->AddRef(), 1u);
  EXPECT_EQ(server->AddRef(), 2u);
  EXPECT_EQ(server->Release(), 1u);
  EXPECT_TRUE(server->IsRunning());
  EXPECT_EQ(server->Release(), 0u);
  EXPECT_FALSE(server->IsRunning());  // and still there for its worker to delete
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].text, "OPCServer::AddRef(1)");
  EXPECT_EQ(lines[2].text, "OPCServer::Release(2)");
  EXPECT_EQ(lines[3].text, "OPCServer::Release(1)");
}

TEST(OPCServer, DefaultGroupNameIsTheFirstFreeNumber) {
  const struct {
    std::vector<std::string> groups;
    const char* name;
  } cases[] = {
      {{}, "Group 1"},
      {{"Group 1", "Group 3"}, "Group 2"},
      {{"Group 2", "Group 1"}, "Group 3"},
      {{"Foo"}, "Group 1"},
      {{"group 1"}, "Group 1"},
  };
  for (const auto& c : cases) {
    const std::unique_ptr<OPCServer> server = UnlistedServer();
    for (const std::string& name : c.groups) AddGroup(*server, name);
    EXPECT_EQ(server->MakeDefaultGroupName(), c.name);
  }
}

TEST(OPCServer, GroupListOperations) {
  const std::unique_ptr<OPCServer> server = UnlistedServer();
  OPCGroup* a = AddGroup(*server, "A", 100);
  OPCGroup* b = AddGroup(*server, "B", 50);
  EXPECT_EQ(server->GetGroupCount(), 2);
  EXPECT_EQ(server->GetGroupAt(0), a);
  EXPECT_EQ(server->GetGroupAt(2), nullptr);
  EXPECT_EQ(server->GetGroupAt(-1), nullptr);
  EXPECT_NE(a->ServerHandle(), 0u);
  EXPECT_NE(a->ServerHandle(), b->ServerHandle());
  EXPECT_TRUE(server->FindGroupByName("B"));
  EXPECT_FALSE(server->FindGroupByName("b"));

  EXPECT_FALSE(server->RemoveGroupAt(2));
  EXPECT_TRUE(server->RemoveGroupAt(0));
  EXPECT_EQ(server->GetGroupCount(), 1);
  EXPECT_EQ(server->GetGroupAt(0), b);
  EXPECT_FALSE(server->FindGroupByName("A"));
  a->Unlist();  // the removed group is the test's to let go of
  a->ReleaseFromList();

  // Groups without items name no tag.
  EXPECT_EQ(server->CountTagItems("A.B"), 0);
  EXPECT_EQ(server->ProcessAsyncRequests(), 1);
  EXPECT_EQ(server->ScanGroups(TRUE), 1);
  EXPECT_TRUE(server->RecheckItemRights());
}

TEST(OPCServer, SnapshotsListTheGroupsForThePrivateAndAllScopesOnly) {
  const std::unique_ptr<OPCServer> server = UnlistedServer();
  AddGroup(*server, "A");
  AddGroup(*server, "B");
  for (DWORD scope : {1u, 3u, 4u, 6u}) {
    std::vector<IUnknown*> groups;
    std::vector<std::string> names;
    server->SnapshotGroups(scope, groups);
    server->SnapshotGroupNames(scope, names);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B"})) << scope;
    ASSERT_EQ(groups.size(), 2u);
    for (IUnknown* group : groups) EXPECT_EQ(group->Release(), 0u);  // AddRef'd once each
  }
  for (DWORD scope : {0u, 2u, 5u, 7u}) {
    std::vector<IUnknown*> groups;
    std::vector<std::string> names;
    server->SnapshotGroups(scope, groups);
    server->SnapshotGroupNames(scope, names);
    EXPECT_TRUE(groups.empty()) << scope;
    EXPECT_TRUE(names.empty()) << scope;
  }
}

TEST(OPCServer, AGroupAClientStillHoldsOutlivesItsServer) {
  std::unique_ptr<OPCServer> server = UnlistedServer();
  OPCGroup* held = AddGroup(*server, "Held");
  AddGroup(*server, "Dropped");
  EXPECT_EQ(held->AddRef(), 1u);
  server.reset();
  EXPECT_TRUE(held->Removed());
  EXPECT_EQ(held->Name(), "Held");
  EXPECT_EQ(held->Release(), 0u);  // deletes it
}
