#include "da/server/OPCServer.h"

#include "ae/COPCEventSubscription.h"
#include "ae/IOPCEventServerHolder.h"
#include "app/CVorlixApp.h"
#include "com/InterfaceTable.h"
#include "da/group/OPCGroup.h"
#include "da/server/IOPCBrowseServerAddressSpaceHolder.h"
#include "da/server/IOPCCommonHolder.h"
#include "da/server/IOPCItemPropertiesHolder.h"
#include "da/server/IOPCSecurityNTHolder.h"
#include "da/server/IOPCServerHolder.h"
#include "da/server/OPCServerConnectionContainer.h"

#include "platform/opcguid.h"
#include "platform/wintime.h"

#include <algorithm>
#include <new>

namespace {

// The highest number a default group name may carry.
constexpr int kLastDefaultGroupNumber = 0x0FFFFFFF - 1;

uint64_t NextServerOrder() {
  static std::atomic<uint64_t> made{0};
  return ++made;
}

// Hands the event to each pinned subscription; the number of them.
template <class Fire>
int FireEach(const PinnedList<COPCEventSubscription>& subscriptions, Fire fire) {
  for (COPCEventSubscription* subscription : subscriptions) fire(*subscription);
  return subscriptions.Size();
}

}  // namespace

const InterfaceTableRow<OPCServer> OPCServer::kOfferedInterfaces[] = {
    {&IID_IUnknown, nullptr, " IID_IUnknown", kAnswersItself, nullptr},
    {&IID_IOPCServer, nullptr, " IID_IOPCServer", kServerHolder, MakeHolder<IOPCServerHolder, OPCServer>},
    {&IID_IOPCServerPublicGroups, nullptr, " IID_IOPCServerPublicGroups", kRefused, nullptr},
    {&IID_IOPCBrowseServerAddressSpace, nullptr, " IID_IOPCBrowseServerAddressSpace", kBrowseHolder,
     MakeHolder<IOPCBrowseServerAddressSpaceHolder, OPCServer>},
    {&IID_IOPCItemProperties, nullptr, " IID_IOPCItemProperties", kItemPropertiesHolder,
     MakeHolder<IOPCItemPropertiesHolder, OPCServer>},
    {&IID_IPersistFile, &IID_IPersist, " IID_IPersistFile", kRefused, nullptr},
    {&IID_IConnectionPointContainer, nullptr, " IID_IConnectionPointContainer", kConnectionContainerHolder,
     MakeHolder<OPCServerConnectionContainer, OPCServer>},
    {&IID_IOPCCommon, nullptr, " IID_IOPCCommon", kCommonHolder, MakeHolder<IOPCCommonHolder, OPCServer>},
    {&IID_IOPCEventServer, nullptr, " IID_IOPCEventServer", kEventServerHolder,
     MakeHolder<IOPCEventServerHolder, OPCServer>},
    {&IID_IOPCSecurityNT, nullptr, " IID_IOPCSecurityNT", kSecurityHolder, MakeHolder<IOPCSecurityNTHolder, OPCServer>},
};

OPCServer::OPCServer() : creationTime_(NowUtc()), creationOrder_(NextServerOrder()) {}

OPCServer::~OPCServer() {
  std::vector<OPCGroup*> groups;
  std::vector<COPCEventSubscription*> subscriptions;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    groups.swap(groups_);
    subscriptions.swap(subscriptions_);
    for (OPCGroup* group : groups) group->Unlist();
    for (COPCEventSubscription* subscription : subscriptions) subscription->Unlist();
  }
  // A group or subscription the client still holds lives on, removed, until
  // its last Release.
  for (OPCGroup* group : groups) group->ReleaseFromList();
  for (COPCEventSubscription* subscription : subscriptions) subscription->ReleaseFromList();
}

HRESULT OPCServer::QueryInterface(REFIID riid, void** ppvObject) {
  return QueryInterfaceFromTable(*this, "OPCServer", kOfferedInterfaces, holders_, riid, ppvObject);
}

ULONG OPCServer::AddRef() { return static_cast<ULONG>(life_.AddRef()); }

ULONG OPCServer::Release() {
  const LONG before = life_.Release();
  if (before == 0) return 0;
  // From here on the worker thread may delete the object at any moment.
  if (before == 1) VorlixApp().RemoveServer(this);
  return static_cast<ULONG>(before - 1);
}

std::string OPCServer::ClientName() const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return clientName_;
}

void OPCServer::SetClientName(std::string name) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  clientName_ = std::move(name);
}

int OPCServer::GetGroupCount() const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return static_cast<int>(groups_.size());
}

OPCGroup* OPCServer::GetGroupAt(int index) const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return index >= 0 && index < static_cast<int>(groups_.size()) ? groups_[index] : nullptr;
}

BOOL OPCServer::AddGroupToList(OPCGroup* group) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  group->SetServerHandle(group->Identity());
  groups_.push_back(group);
  return TRUE;
}

BOOL OPCServer::RemoveGroupAt(int index) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  if (index < 0 || index >= static_cast<int>(groups_.size())) return FALSE;
  groups_.erase(groups_.begin() + index);
  return TRUE;
}

BOOL OPCServer::FindGroupByName(const std::string& name) const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return GroupNamed(name) != nullptr ? TRUE : FALSE;
}

OPCGroup* OPCServer::GroupNamed(const std::string& name) const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const auto entry =
      std::find_if(groups_.begin(), groups_.end(), [&](const OPCGroup* group) { return group->Name() == name; });
  return entry != groups_.end() ? *entry : nullptr;
}

HRESULT OPCServer::CreateGroup(OPCGroup::Settings settings, REFIID riid, void** ppUnk, OPCGroup** created) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  if (settings.name.empty()) settings.name = MakeDefaultGroupName();
  if (FindGroupByName(settings.name)) return OPC_E_DUPLICATENAME;
  // Room first: once the client holds the group, appending it must not fail.
  groups_.reserve(groups_.size() + 1);
  OPCGroup* group = new (std::nothrow) OPCGroup(*this, settings);
  if (group == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = group->QueryInterface(riid, ppUnk);
  if (FAILED(hr)) {
    // Nobody holds it and it has no items: it goes at once, telling the host nothing.
    group->ReleaseFromList();
    return hr;
  }
  AddGroupToList(group);
  if (created != nullptr) *created = group;
  return hr;
}

OPCGroup* OPCServer::UnlistGroup(OPCHANDLE serverHandle) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const auto entry = std::find_if(groups_.begin(), groups_.end(),
                                  [&](const OPCGroup* group) { return group->ServerHandle() == serverHandle; });
  if (entry == groups_.end()) return nullptr;
  OPCGroup* group = *entry;
  groups_.erase(entry);
  group->Unlist();
  return group;
}

std::string OPCServer::MakeDefaultGroupName() const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  // n groups leave one of the first n+1 numbers free, so the walk is short.
  for (int number = 1; number <= kLastDefaultGroupNumber; ++number) {
    std::string candidate = "Group " + std::to_string(number);
    if (!FindGroupByName(candidate)) return candidate;
  }
  return "No Default Group Names Available";
}

bool OPCServer::ScopeListsPrivateGroups(DWORD scope) {
  return scope == OPC_ENUM_PRIVATE_CONNECTIONS || scope == OPC_ENUM_ALL_CONNECTIONS || scope == OPC_ENUM_PRIVATE ||
         scope == OPC_ENUM_ALL;
}

void OPCServer::SnapshotGroups(DWORD scope, std::vector<IUnknown*>& groups) const {
  if (!ScopeListsPrivateGroups(scope)) return;
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  for (OPCGroup* group : groups_) {
    group->AddRef();
    groups.push_back(group);
  }
}

void OPCServer::SnapshotGroupNames(DWORD scope, std::vector<std::string>& names) const {
  if (!ScopeListsPrivateGroups(scope)) return;
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  for (const OPCGroup* group : groups_) names.push_back(group->Name());
}

PinnedList<OPCGroup> OPCServer::PinGroups() const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return PinnedList<OPCGroup>(groups_);
}

int OPCServer::ProcessAsyncRequests() {
  const std::lock_guard<std::recursive_mutex> turn(scanLock_);
  const PinnedList<OPCGroup> groups = PinGroups();
  for (OPCGroup* group : groups) group->DrainAsyncRequests();
  return groups.Size();
}

int OPCServer::ScanGroups(BOOL forced) {
  const std::lock_guard<std::recursive_mutex> turn(scanLock_);
  if (forcedScanRequested_.exchange(false)) forced = TRUE;
  ++scans_;
  const PinnedList<OPCGroup> groups = PinGroups();
  for (OPCGroup* group : groups) group->Scan(forced);
  return groups.Size();
}

int OPCServer::PropagateTag(const OPCTag& tag) {
  const TagLive& live = *tag.live;
  if (live.clientItems != nullptr) live.clientItems->Propagate(live, this);
  return static_cast<int>(groups_.size());
}

int OPCServer::PropagateTagList(const std::vector<const OPCTag*>& tags) {
  std::vector<const TagLive*> live;
  live.reserve(tags.size());
  for (const OPCTag* tag : tags) live.push_back(tag->live.get());
  TagClientItems::PropagateBatch(live, this);
  return static_cast<int>(groups_.size());
}

int OPCServer::CountTagItems(const std::string& tagName) const {
  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  const TagClientItems* items = app.ClientItems().Find(tagName);
  return items != nullptr ? items->Count(this) : 0;
}

DWORD OPCServer::FastestTagRate(const OPCTag& tag) const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const TagClientItems* items = tag.live->clientItems;
  return items != nullptr ? items->FastestRate(this) : 0;
}

BOOL OPCServer::RecheckItemRights() {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  BOOL allSucceeded = TRUE;
  for (OPCGroup* group : groups_) {
    if (!group->RecheckRights()) allSucceeded = FALSE;
  }
  return allSucceeded;
}

BOOL OPCServer::AddEventSubscription(COPCEventSubscription* subscription) {
  if (subscription == nullptr) return FALSE;
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  subscriptions_.push_back(subscription);
  return TRUE;
}

BOOL OPCServer::UnlistEventSubscription(COPCEventSubscription* subscription) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const auto entry = std::find(subscriptions_.begin(), subscriptions_.end(), subscription);
  if (entry == subscriptions_.end()) return FALSE;
  subscriptions_.erase(entry);
  subscription->Unlist();
  return TRUE;
}

PinnedList<COPCEventSubscription> OPCServer::PinSubscriptions(DWORD subscription) const {
  std::vector<COPCEventSubscription*> selected;
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  for (COPCEventSubscription* candidate : subscriptions_) {
    if (subscription == CVorlixApp::kAllSubscriptions || candidate->Handle() == subscription) selected.push_back(candidate);
  }
  return PinnedList<COPCEventSubscription>(std::move(selected));
}

int OPCServer::BroadcastUserMessage(const char* source, const char* message, DWORD severity) {
  return FireEach(PinSubscriptions(CVorlixApp::kAllSubscriptions), [&](COPCEventSubscription& subscription) {
    subscription.FireSimpleEvent(source, message, severity);
  });
}

int OPCServer::BroadcastEvent(DWORD subscription, const COPCEvent& event, BOOL refresh, BOOL lastRefresh) {
  return FireEach(PinSubscriptions(subscription), [&](COPCEventSubscription& named) {
    named.FireEvent(event, refresh, lastRefresh);
  });
}

int OPCServer::BroadcastEventRecord(const COPCEvent& event) {
  return FireEach(PinSubscriptions(CVorlixApp::kAllSubscriptions),
                  [&](COPCEventSubscription& subscription) { subscription.FireEventRecord(event); });
}

void OPCServer::SendShutdownRequest() {
  // A client that never asked for the container has no sink to call.
  InterfaceHolderBase* container = holders_[kConnectionContainerHolder].Existing();
  if (container != nullptr) static_cast<OPCServerConnectionContainer*>(container)->ShutdownRequest();
}
