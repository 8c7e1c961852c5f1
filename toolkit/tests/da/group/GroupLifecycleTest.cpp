// Groups as a client makes, finds and removes them through IOPCServer, and the
// group object's own IUnknown.
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/Eventually.h"
#include "support/HostCalls.h"
#include "support/ItemNoticeLog.h"
#include "support/OpcTestGroup.h"
#include "support/TraceCapture.h"

#include "platform/IEnumString.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/widetext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> GroupNames(IOPCServer* opc) {
  IUnknown* names = nullptr;
  EXPECT_EQ(opc->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumString, &names), S_OK);
  const std::vector<std::string> found = ReadAll(static_cast<IEnumString*>(names));
  names->Release();
  return found;
}

HRESULT FindGroup(IOPCServer* opc, const std::string& name, IUnknown** group) {
  return opc->GetGroupByName(WidenAnsi(name).c_str(), IID_IUnknown, group);
}

class GroupLifecycle : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(connected.Ready()); }

  // A group holding one item of a new tag; what the host heard of it is forgotten.
  std::unique_ptr<OpcTestGroup> GroupWithItem(const char* name, const std::string& tagName, DWORD* tag,
                                              OPCHANDLE* item = nullptr) {
    *tag = NewTag(tagName);
    auto group = std::make_unique<OpcTestGroup>(connected.opc, name);
    const ItemCall added = group->AddItems({{tagName}});
    EXPECT_EQ(added.hr, S_OK);
    if (item != nullptr && !added.results.empty()) *item = added.results[0].hServer;
    log.Take();
    return group;
  }

  ConnectedClient connected{100};
  ItemNoticeLog log;
};

}  // namespace

TEST_F(GroupLifecycle, RequestedRatesAreRevisedToTheBaseRate) {
  const struct {
    DWORD requested;
    DWORD revised;
    HRESULT hr;
  } cases[] = {
      {0, 100, OPC_S_UNSUPPORTEDRATE}, {50, 100, OPC_S_UNSUPPORTEDRATE}, {99, 100, OPC_S_UNSUPPORTEDRATE},
      {100, 100, S_OK},                {149, 100, S_OK},                 {150, 200, S_OK},
      {1000, 1000, S_OK},
      // The nearest multiple would not fit in 32 bits: the largest one that does.
      {0xFFFFFFFF, 4294967200u, S_OK},
  };
  for (const auto& c : cases) {
    OpcTestGroup::Options options;
    options.rate = c.requested;
    OpcTestGroup group(connected.opc, nullptr, options);
    EXPECT_EQ(group.Added(), c.hr) << c.requested;
    EXPECT_EQ(group.RevisedRate(), c.revised) << c.requested;
  }
}

TEST_F(GroupLifecycle, GroupsWithoutANameGetTheFirstFreeDefaultName) {
  OpcTestGroup first(connected.opc, nullptr);
  OpcTestGroup second(connected.opc, "");
  OpcTestGroup named(connected.opc, "group 1");
  EXPECT_EQ(first.Name(), "Group 1");
  EXPECT_EQ(second.Name(), "Group 2");
  first.Release();  // listed still: the name stays taken
  OpcTestGroup third(connected.opc, nullptr);
  EXPECT_EQ(third.Name(), "Group 3");
  EXPECT_EQ(GroupNames(connected.opc), (std::vector<std::string>{"Group 1", "Group 2", "group 1", "Group 3"}));
}

TEST_F(GroupLifecycle, ADuplicateNameCreatesNothing) {
  OpcTestGroup original(connected.opc, "Line");
  ASSERT_EQ(original.Added(), S_OK);

  OPCHANDLE handle = 7;
  DWORD revised = 7;
  IUnknown* group = connected.opc;
  EXPECT_EQ(connected.opc->AddGroup(OLESTR("Line"), TRUE, 100, 0, nullptr, nullptr, 0, &handle, &revised, IID_IUnknown,
                                    &group),
            OPC_E_DUPLICATENAME);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(revised, 0u);
  EXPECT_EQ(group, nullptr);
  // An interface the group does not offer creates nothing either.
  EXPECT_EQ(connected.opc->AddGroup(OLESTR("Other"), TRUE, 100, 0, nullptr, nullptr, 0, &handle, &revised,
                                    IID_IOPCPublicGroupStateMgt, &group),
            E_NOINTERFACE);
  EXPECT_EQ(group, nullptr);
  EXPECT_EQ(GroupNames(connected.opc), std::vector<std::string>{"Line"});
  // Missing out-pointers.
  EXPECT_EQ(connected.opc->AddGroup(OLESTR("X"), TRUE, 100, 0, nullptr, nullptr, 0, nullptr, &revised, IID_IUnknown, &group),
            E_INVALIDARG);
  EXPECT_EQ(connected.opc->AddGroup(OLESTR("X"), TRUE, 100, 0, nullptr, nullptr, 0, &handle, nullptr, IID_IUnknown, &group),
            E_INVALIDARG);
  EXPECT_EQ(group, nullptr);
  EXPECT_EQ(connected.opc->AddGroup(OLESTR("X"), TRUE, 100, 0, nullptr, nullptr, 0, &handle, &revised, IID_IUnknown, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(GroupNames(connected.opc), std::vector<std::string>{"Line"});
}

TEST_F(GroupLifecycle, AddGroupKeepsTheClientsSettings) {
  setenv("TZ", "EST5", 1);  // five hours west of UTC, no daylight saving
  LONG bias = -60;
  FLOAT deadband = 150.0f;
  OpcTestGroup::Options given;
  given.active = FALSE;
  given.clientHandle = 77;
  given.timeBias = &bias;
  given.percentDeadband = &deadband;
  given.localeId = 1033;
  OpcTestGroup withValues(connected.opc, "A", given);
  OpcTestGroup withDefaults(connected.opc, "B");

  const struct {
    OpcTestGroup& group;
    BOOL active;
    OPCHANDLE clientHandle;
    LONG bias;
    FLOAT deadband;
    DWORD localeId;
  } cases[] = {{withValues, FALSE, 77, -60, 150.0f, 1033}, {withDefaults, TRUE, 0, 300, 0.0f, 0}};
  for (const auto& c : cases) {
    DWORD rate = 0;
    BOOL active = -1;
    LPWSTR name = nullptr;
    LONG timeBias = 0;
    FLOAT percentDeadband = -1;
    DWORD localeId = 0;
    OPCHANDLE clientHandle = 0;
    OPCHANDLE serverHandle = 0;
    ASSERT_EQ(c.group.State()->GetState(&rate, &active, &name, &timeBias, &percentDeadband, &localeId, &clientHandle,
                                        &serverHandle),
              S_OK);
    CoTaskMemFree(name);
    EXPECT_EQ(rate, 100u);
    EXPECT_EQ(active, c.active);
    EXPECT_EQ(timeBias, c.bias);
    EXPECT_EQ(percentDeadband, c.deadband);
    EXPECT_EQ(localeId, c.localeId);
    EXPECT_EQ(clientHandle, c.clientHandle);
    EXPECT_EQ(serverHandle, c.group.ServerHandle());
  }
  EXPECT_NE(withValues.ServerHandle(), withDefaults.ServerHandle());
}

TEST_F(GroupLifecycle, GetGroupByNameAsksTheNamedGroupForTheInterface) {
  OpcTestGroup group(connected.opc, "Pumps");
  const LONG before = ReferenceCount(group.Unknown());
  IUnknown* found = nullptr;
  ASSERT_EQ(FindGroup(connected.opc, "Pumps", &found), S_OK);
  EXPECT_EQ(found, group.Unknown());
  EXPECT_EQ(ReferenceCount(group.Unknown()), before + 1);
  found->Release();

  found = connected.opc;
  EXPECT_EQ(FindGroup(connected.opc, "pumps", &found), E_INVALIDARG);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(connected.opc->GetGroupByName(nullptr, IID_IUnknown, &found), E_INVALIDARG);
  EXPECT_EQ(connected.opc->GetGroupByName(OLESTR("Pumps"), IID_IOPCPublicGroupStateMgt, &found), E_NOINTERFACE);
  EXPECT_EQ(connected.opc->GetGroupByName(OLESTR("Pumps"), IID_IUnknown, nullptr), E_INVALIDARG);
}

TEST_F(GroupLifecycle, AGroupStillHeldIsUnlistedAndLivesUntilItsLastRelease) {
  DWORD tag = 0;
  const std::unique_ptr<OpcTestGroup> made = GroupWithItem("Held", "Plant.Flow", &tag);
  OpcTestGroup& group = *made;

  EXPECT_EQ(connected.opc->RemoveGroup(group.ServerHandle(), FALSE), OPC_S_INUSE);
  IUnknown* found = nullptr;
  EXPECT_EQ(FindGroup(connected.opc, "Held", &found), E_INVALIDARG);
  EXPECT_TRUE(GroupNames(connected.opc).empty());
  // The stale handle names no group any more.
  EXPECT_EQ(connected.opc->RemoveGroup(group.ServerHandle(), FALSE), E_FAIL);
  // Still usable, and its item still counts on the tag until the group goes.
  EXPECT_EQ(group.Name(), "Held");
  EXPECT_TRUE(log.Notices().empty());
  EXPECT_EQ(group.Release(), 0u);
  // The client's worker may be scanning the group as the client lets go: the
  // group then goes, and the host hears of it, when the scan ends.
  EXPECT_EQ(log.TakeOnceThere(2), (std::vector<ItemNotice>{RateNotice(tag, 0), RemovedNotice(tag, "Plant.Flow")}));
}

TEST_F(GroupLifecycle, ForcedRemovalOfAHeldGroupMakesItInert) {
  DWORD tag = 0;
  OPCHANDLE item = 0;
  const std::unique_ptr<OpcTestGroup> made = GroupWithItem("Forced", "Plant.Level", &tag, &item);
  OpcTestGroup& group = *made;

  EXPECT_EQ(connected.opc->RemoveGroup(group.ServerHandle(), TRUE), S_OK);
  // The items go at once; the interfaces the client holds stay safe to call.
  EXPECT_EQ(log.Take(), (std::vector<ItemNotice>{RateNotice(tag, 0), RemovedNotice(tag, "Plant.Level")}));
  EXPECT_EQ(group.AddItems({{"Plant.Level"}}).hr, E_FAIL);
  EXPECT_EQ(group.RemoveItems({item}).hr, E_FAIL);
  DWORD revised = 0;
  EXPECT_EQ(group.State()->SetState(nullptr, &revised, nullptr, nullptr, nullptr, nullptr, nullptr), E_FAIL);
  EXPECT_EQ(group.Release(), 0u);
  EXPECT_TRUE(log.Notices().empty());
  EXPECT_TRUE(GroupNames(connected.opc).empty());
}

TEST_F(GroupLifecycle, AnUnheldGroupIsDeletedAtOnce) {
  DWORD tag = 0;
  const std::unique_ptr<OpcTestGroup> made = GroupWithItem("Released", "Plant.Speed", &tag);
  OpcTestGroup& group = *made;
  const OPCHANDLE handle = group.ServerHandle();
  group.Release();  // the server's list keeps it
  IUnknown* found = nullptr;
  ASSERT_EQ(FindGroup(connected.opc, "Released", &found), S_OK);
  found->Release();

  EXPECT_EQ(connected.opc->RemoveGroup(handle, FALSE), S_OK);
  EXPECT_EQ(log.Take(), (std::vector<ItemNotice>{RateNotice(tag, 0), RemovedNotice(tag, "Plant.Speed")}));
  EXPECT_EQ(connected.opc->RemoveGroup(handle, TRUE), E_FAIL);
  EXPECT_EQ(connected.opc->RemoveGroup(0, TRUE), E_FAIL);
}

TEST_F(GroupLifecycle, GroupsOutliveAServerReleasedBeforeThem) {
  DWORD tag = 0;
  const std::unique_ptr<OpcTestGroup> made = GroupWithItem("Kept", "Plant.Valve", &tag);
  OpcTestGroup& kept = *made;
  OpcTestGroup dropped(connected.opc, "Dropped");
  dropped.Release();

  connected.client.ReleaseAll();
  ASSERT_TRUE(Eventually([] { return VorlixApp().ClientThreadCount() == 0; }));
  // The server is gone; the group the client holds still answers, but takes
  // no changes.
  EXPECT_EQ(kept.Name(), "Kept");
  EXPECT_EQ(kept.AddItems({{"Plant.Valve"}}).hr, E_FAIL);
  IUnknown* clone = nullptr;
  EXPECT_EQ(kept.State()->CloneGroup(OLESTR("Copy"), IID_IUnknown, &clone), E_FAIL);
  EXPECT_TRUE(log.Notices().empty());
  EXPECT_EQ(kept.Release(), 0u);
  // Its items go with it; no other client holds one of the tag.
  EXPECT_EQ(log.Take(), (std::vector<ItemNotice>{RateNotice(tag, 0), RemovedNotice(tag, "Plant.Valve")}));
}

TEST_F(GroupLifecycle, GroupQueryInterfaceAnswersInTableOrderThroughHolders) {
  OpcTestGroup group(connected.opc, "Q");
  IUnknown* unknown = group.Unknown();
  TraceCapture capture;

  const struct {
    const IID& iid;
    const char* trace;
  } refused[] = {
      {IID_IOPCPublicGroupStateMgt, "OPCGroup::QueryInterface IID_IOPCPublicGroupStateMgt"},
      {IID_IMarshal, "OPCGroup::QueryInterface IID_IMarshal"},
      {IID_IOPCServer, "OPCGroup::QueryInterface"},
  };
  for (const auto& miss : refused) {
    void* object = unknown;
    EXPECT_EQ(unknown->QueryInterface(miss.iid, &object), E_NOINTERFACE) << miss.trace;
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(capture.Lines().back().text, miss.trace);
  }
  EXPECT_EQ(unknown->QueryInterface(IID_IUnknown, nullptr), E_INVALIDARG);
  EXPECT_EQ(capture.Lines().back().text, "OPCGroup::QueryInterface E_INVALIDARG");

  // Twice the same holder, each time one more reference on the group.
  const LONG before = ReferenceCount(unknown);
  IOPCItemMgt* first = nullptr;
  IOPCItemMgt* second = nullptr;
  ASSERT_EQ(unknown->QueryInterface(IID_IOPCItemMgt, reinterpret_cast<void**>(&first)), S_OK);
  ASSERT_EQ(first->QueryInterface(IID_IOPCItemMgt, reinterpret_cast<void**>(&second)), S_OK);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, group.Items());
  EXPECT_EQ(ReferenceCount(unknown), before + 2);
  const size_t mark = capture.Lines().size();
  first->Release();
  second->Release();
  group.State()->AddRef();
  group.State()->Release();
  const auto lines = capture.Lines();
  const std::vector<std::string> expected = {
      "IOPCItemMgt::Release() [defered to OPCGroup]",        "OPCGroup::Release(" + std::to_string(before + 2) + ")",
      "IOPCItemMgt::Release() [defered to OPCGroup]",        "OPCGroup::Release(" + std::to_string(before + 1) + ")",
      "IOPCGroupStateMgt::AddRef() [defered to OPCGroup]",   "OPCGroup::AddRef(" + std::to_string(before + 1) + ")",
      "IOPCGroupStateMgt::Release() [defered to OPCGroup]",  "OPCGroup::Release(" + std::to_string(before + 1) + ")",
  };
  ASSERT_EQ(lines.size(), mark + expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[mark + i].text, expected[i]);
  EXPECT_EQ(ReferenceCount(unknown), before);
}

TEST_F(GroupLifecycle, TheServerOffersItsServerAndCommonInterfacesThroughHolders) {
  TraceCapture capture;
  IUnknown* again = nullptr;
  ASSERT_EQ(connected.opc->QueryInterface(IID_IOPCServer, reinterpret_cast<void**>(&again)), S_OK);
  EXPECT_EQ(again, connected.opc);
  again->Release();
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].text, "IOPCServer::QueryInterface()  [defered to OPCServer]");
  EXPECT_EQ(lines[1].text, "OPCServer::QueryInterface IID_IOPCServer");
  EXPECT_EQ(lines[3].text, "IOPCServer::Release() [defered to OPCServer]");
}
