#include "app/CVorlixApp.h"

#include "ae/InstalledAECallback.h"
#include "app/InternedTexts.h"
#include "app/OPCErrorText.h"
#include "app/OutPointers.h"
#include "da/server/OPCServer.h"
#include "tags/AddressSpaceLister.h"
#include "tags/ItemName.h"

#include "platform/processend.h"
#include "platform/widetext.h"
#include "platform/wintime.h"

#include <cassert>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr char kDefaultVendorInfo[] = "Vorlix OPC Server Toolkit";
constexpr DWORD kServerStateRunning = 1;
// The user name reported for a client that NT security does not identify.
constexpr char kUnknownUser[] = "Unknown";
// The host's buffer for the writing client's user name, its terminating zero included.
constexpr size_t kUserNameBufferSize = 200;

// OPC_E_BADTYPE unless the value converts to the requested type (VT_EMPTY asks for the canonical one).
HRESULT CheckRequestedType(const VARIANT& value, VARTYPE requested) {
  if (requested == VT_EMPTY || requested == value.vt) return S_OK;
  VARIANT converted;
  VariantInit(&converted);
  const HRESULT hr = VariantChangeType(&converted, &value, 0, requested);
  VariantClear(&converted);
  return SUCCEEDED(hr) ? S_OK : OPC_E_BADTYPE;
}

}  // namespace

CVorlixApp::CVorlixApp() : aeCallback_(new InstalledAECallback(new CLumoAExCallback)) { InitInstance(); }

CVorlixApp::~CVorlixApp() {
  ExitInstance();
  if (aeCallback_ != nullptr) aeCallback_->Unpin();
}

void CVorlixApp::InitInstance() {
  tags_.SetDelimiter('.');
  vendorInfo_ = kDefaultVendorInfo;
  serverState_ = kServerStateRunning;
}

std::string CVorlixApp::GetErrorText(HRESULT code) const { return OPCErrorText(code); }

std::string CVorlixApp::VendorInfo() {
  ServerLock::Hold hold(serverLock_);
  return vendorInfo_;
}

void CVorlixApp::SetVendorInfo(const char* vendor) {
  if (vendor == nullptr) return;
  ServerLock::Hold hold(serverLock_);
  vendorInfo_ = vendor;
}

char CVorlixApp::SetDelimiter(char delimiter) {
  if (delimiter != '\0') tags_.SetDelimiter(delimiter);
  return Delimiter();
}

std::string CVorlixApp::MakeFullName(const std::string& accessPath, const std::string& itemId) const {
  return MakeFullItemName(accessPath, itemId, Delimiter());
}

int CVorlixApp::SplitName(const std::string& name, std::vector<std::string>& components) const {
  components = SplitItemName(name, Delimiter());
  return static_cast<int>(components.size());
}

DWORD CVorlixApp::CreateTag(const char* fullName, const VARIANT* value, WORD quality, DWORD readAccess,
                            DWORD writeAccess) {
  // A tag no client could name would only show in browsing, never be read.
  if (fullName == nullptr || value == nullptr) return VORLIX_INVALID_TAG;
  // The one copy of the name, which the new tag keeps.
  std::string name(fullName);
  if (!ClientCanNameItem(name)) return VORLIX_INVALID_TAG;
  ServerLock::Hold hold(serverLock_);
  // Client items may name the tag already (it was removed under them): they
  // are linked to it and take its value now, or they would keep the removed
  // tag's last value until the new tag's first update; the tag counts them
  // and keeps their fastest rate.
  TagClientItems* items = clientItems_.Find(name);
  // Their records come into the cache while the tag is made; they are
  // given the value, and counted, afterwards.
  if (items != nullptr) items->PrefetchItems();
  const DWORD handle = tags_.CreateTag(std::move(name), *value, quality, readAccess, writeAccess, 0);
  if (items != nullptr && handle != VORLIX_INVALID_TAG) {
    OPCTag& tag = *tags_.TagFromHandle(handle);
    ClientItemIndex::Link(tag, *items);
    tag.live->refCount = items->Propagate(*tag.live);
    // What the host hears when the fastest of them goes is measured from this.
    tag.live->fastestClientRate = items->FastestRate();
  }
  return handle;
}

BOOL CVorlixApp::RemoveTag(DWORD handle) {
  ServerLock::Hold hold(serverLock_);
  OPCTag* tag = tags_.TagFromHandle(handle);
  if (tag == nullptr) return FALSE;
  ClientItemIndex::Unlink(*tag);
  tags_.RemoveNode(tag);
  return TRUE;
}

BOOL CVorlixApp::SuspendTag(DWORD handle, BOOL suspend) {
  ServerLock::Hold hold(serverLock_);
  OPCTag* tag = tags_.TagFromHandle(handle);
  if (tag == nullptr) return FALSE;
  tag->live->visible = !suspend;
  return TRUE;
}

HRESULT CVorlixApp::ValidateItem(const OPCITEMDEF& item, OPCITEMRESULT* result, OPCTag** tagOut,
                                 DWORD* accessRights, const ValidItemUse& use) {
  const std::optional<std::string> narrowPath = NarrowAnsi(item.szAccessPath);
  const std::optional<std::string> narrowId = NarrowAnsi(item.szItemID);
  if (narrowId && narrowId->empty()) return OPC_E_INVALIDITEMID;
  // A name the ANSI code page cannot hold names no tag, and the host could
  // not be told it either.
  if (!narrowPath || !narrowId) return OPC_E_UNKNOWNITEMID;
  const std::string& accessPath = *narrowPath;
  const std::string& itemId = *narrowId;

  const auto answer = [&](OPCTag* tag) -> HRESULT {
    if (tag == nullptr) return OPC_E_UNKNOWNITEMID;
    if (tagOut != nullptr) *tagOut = tag;
    const HRESULT hr = CheckRequestedType(tag->live->value, item.vtRequestedDataType);
    if (SUCCEEDED(hr)) {
      const DWORD rights = ClientAccessRights(*tag);
      if (result != nullptr) *result = OPCITEMRESULT{0, tag->live->value.vt, 0, rights, 0, nullptr};
      if (accessRights != nullptr) *accessRights = rights;
    }
    return hr == S_OK && use ? use(*tag, accessPath, itemId) : hr;
  };
  {
    ServerLock::Hold hold(serverLock_);
    if (OPCTag* tag = FindItemTag(accessPath, itemId)) return answer(tag);
  }
  // The host may make the tag when it hears of the name; it is told without the lock.
  if (!NotifyUnknownItem(accessPath, itemId)) return OPC_E_UNKNOWNITEMID;
  ServerLock::Hold hold(serverLock_);
  return answer(FindItemTag(accessPath, itemId));
}

OPCTag* CVorlixApp::FindItemTag(const std::string& accessPath, const std::string& itemId) const {
  OPCTag* tag = tags_.FindTag(accessPath, itemId);
  // A branch has no value and no handle: no client item may refer to one.
  return tag != nullptr && tag->live->visible && tag->HasHandle() ? tag : nullptr;
}

DWORD CVorlixApp::ClientAccessRights(const OPCTag& tag) {
  if (!ntSecurity_.Enabled()) return tag.AccessRights();
  return (CheckNTAccess(tag.live->readAccess) ? OPC_READABLE : 0) | (CheckNTAccess(tag.live->writeAccess) ? OPC_WRITEABLE : 0);
}

bool CVorlixApp::NotifyUnknownItem(const std::string& accessPath, const std::string& itemId) {
  const UNKNOWNITEMPROC proc = unknownItemProc_.Get();
  if (proc == nullptr) return false;
  assert(!serverLock_.HeldByCurrentThread());
  // The host gets writable copies of its own.
  std::vector<char> pathCopy(accessPath.c_str(), accessPath.c_str() + accessPath.size() + 1);
  std::vector<char> itemCopy(itemId.c_str(), itemId.c_str() + itemId.size() + 1);
  proc(pathCopy.data(), itemCopy.data());
  return true;
}

UINT CVorlixApp::SetHashing(UINT request) {
  ServerLock::Hold hold(serverLock_);
  return tags_.SetHashing(request);
}

int CVorlixApp::CountTagItems(const std::string& tagName) {
  ServerLock::Hold hold(serverLock_);
  const TagClientItems* items = clientItems_.Find(tagName);
  return items != nullptr ? items->Count() : 0;
}

DWORD CVorlixApp::FastestItemRate(const OPCTag& tag) {
  ServerLock::Hold hold(serverLock_);
  const TagClientItems* items = tag.live->clientItems;
  return items != nullptr ? items->FastestRate() : 0;
}

BOOL CVorlixApp::UpdateTagValue(DWORD handle, const VARIANT* value, WORD quality) {
  return UpdateByHandle(handle, value, quality, NowUtc());
}

BOOL CVorlixApp::UpdateTagValueAt(DWORD handle, const VARIANT* value, WORD quality, const FILETIME& timestamp) {
  return UpdateByHandle(handle, value, quality, timestamp);
}

BOOL CVorlixApp::UpdateByHandle(DWORD handle, const VARIANT* value, WORD quality, const FILETIME& timestamp) {
  if (value == nullptr) return FALSE;
  std::unique_ptr<COPCEvent> event;
  {
    ServerLock::Hold hold(serverLock_);
    TagLive* tag = tags_.LiveFromHandle(handle);
    if (tag == nullptr || FAILED(tag->Update(*value, quality, timestamp))) return FALSE;
    PropagateToClients(*tag);
    if (tag->MayRaiseLevelEvent(LevelAlarmEvents())) event = tags_.TagFromHandle(handle)->EvaluateLevelAlarms(TRUE);
  }
  if (event != nullptr) BroadcastEventRecord(*event);
  return TRUE;
}

BOOL CVorlixApp::UpdateTagValueByName(const char* name, const VARIANT* value, WORD quality) {
  if (name == nullptr || value == nullptr) return FALSE;
  ServerLock::Hold hold(serverLock_);
  OPCTag* tag = tags_.FindTag(std::string_view(), name);
  if (tag == nullptr || FAILED(tag->live->Update(*value, quality, NowUtc()))) return FALSE;
  PropagateToClients(*tag->live);
  return TRUE;
}

BOOL CVorlixApp::ReadTagValue(DWORD handle, VARIANT* value, WORD* quality, FILETIME* timestamp) {
  if (value == nullptr) return FALSE;
  ServerLock::Hold hold(serverLock_);
  const TagLive* tag = tags_.LiveFromHandle(handle);
  if (tag == nullptr || FAILED(VariantCopy(value, &tag->value))) return FALSE;
  if (quality != nullptr) *quality = tag->quality;
  if (timestamp != nullptr) *timestamp = tag->timestamp;
  return TRUE;
}

BOOL CVorlixApp::StartUpdateTags() {
  ServerLock::Hold hold(serverLock_);
  // Holding the lock while a batch is open means this thread opened it.
  if (batch_.IsOpen()) return FALSE;
  batch_.Open();
  batchHold_.emplace(serverLock_);
  return TRUE;
}

BOOL CVorlixApp::AddTagToBatch(DWORD handle, const VARIANT* value, WORD quality) {
  if (value == nullptr) return FALSE;
  ServerLock::Hold hold(serverLock_);
  if (!batch_.IsOpen()) return FALSE;
  TagLive* tag = tags_.LiveFromHandle(handle);
  if (tag == nullptr || FAILED(tag->Update(*value, quality, NowUtc()))) return FALSE;
  batch_.AddTag(handle);
  if (!tag->MayRaiseLevelEvent(LevelAlarmEvents())) return TRUE;
  if (std::unique_ptr<COPCEvent> event = tags_.TagFromHandle(handle)->EvaluateLevelAlarms(TRUE)) {
    batch_.AddEvent(std::move(event));
  }
  return TRUE;
}

BOOL CVorlixApp::EndUpdateTags() {
  std::vector<std::unique_ptr<COPCEvent>> events;
  {
    ServerLock::Hold hold(serverLock_);
    if (!batch_.IsOpen()) return FALSE;
    PropagateBatchToClients();
    events = batch_.Close();
    batchHold_.reset();
  }
  BroadcastBatchEvents(events);
  return TRUE;
}

void CVorlixApp::PropagateToClients(const TagLive& tag) {
  if (tag.clientItems != nullptr) tag.clientItems->Propagate(tag);
}

void CVorlixApp::PropagateBatchToClients() {
  if (clients_.Empty()) return;
  // The batch keeps handles: a tag removed since its update is left out.
  std::vector<const TagLive*> tags;
  tags.reserve(batch_.Tags().size());
  for (DWORD handle : batch_.Tags()) {
    if (const TagLive* tag = tags_.LiveFromHandle(handle)) tags.push_back(tag);
  }
  TagClientItems::PropagateBatch(tags);
}

void CVorlixApp::BroadcastEventRecord(const COPCEvent& event) {
  const ClientSnapshot clients =
      SnapshotClientsObserved([&](const EventObserver& observer) { observer(event, 0, FALSE, FALSE); });
  for (OPCServer* client : clients) client->BroadcastEventRecord(event);
}

void CVorlixApp::BroadcastBatchEvents(const std::vector<std::unique_ptr<COPCEvent>>& events) {
  for (const std::unique_ptr<COPCEvent>& event : events) BroadcastEventRecord(*event);
}

void CVorlixApp::BroadcastUserMessage(const char* source, const char* message, DWORD severity) {
  const ClientSnapshot clients = SnapshotClientsObserved([&](const EventObserver& observer) {
    observer(*COPCEvent::MakeSimpleEvent(source, message, severity), 0, FALSE, FALSE);
  });
  for (OPCServer* client : clients) client->BroadcastUserMessage(source, message, severity);
}

BOOL CVorlixApp::BroadcastEvent(DWORD subscription, const ONEVENTSTRUCT& event, BOOL refresh, BOOL lastRefresh) {
  // Built once, before anything is sent: an event that cannot be built is refused.
  const std::unique_ptr<COPCEvent> record = COPCEvent::FromEventStruct(event);
  if (record == nullptr) return FALSE;
  const ClientSnapshot clients = SnapshotClientsObserved(
      [&](const EventObserver& observer) { observer(*record, subscription, refresh, lastRefresh); });
  for (OPCServer* client : clients) client->BroadcastEvent(subscription, *record, refresh, lastRefresh);
  return TRUE;
}

ClientSnapshot CVorlixApp::SnapshotClientsObserved(const std::function<void(const EventObserver&)>& show) {
  ServerLock::Hold hold(serverLock_);
  if (eventObserver_) show(eventObserver_);
  return clients_.Snapshot();
}

void CVorlixApp::SetEventObserver(EventObserver observer) {
  ServerLock::Hold hold(serverLock_);
  eventObserver_ = std::move(observer);
}

void CVorlixApp::SetAECallback(BOOL noLevelAlarms, CLumoAExCallback* callback) {
  // Calls use the object without the lock, each pinning it: the replaced
  // object goes with the last of them, or here, once the lock is released, so
  // the host's destructor never runs under it.
  InstalledAECallback* replaced = nullptr;
  {
    ServerLock::Hold hold(serverLock_);
    const CLumoAExCallback* installed = aeCallback_ != nullptr ? &aeCallback_->Object() : nullptr;
    if (callback != installed) {
      replaced = aeCallback_;
      aeCallback_ = callback != nullptr ? new InstalledAECallback(callback) : nullptr;
    }
    levelAlarmEvents_ = noLevelAlarms ? FALSE : TRUE;
  }
  if (replaced != nullptr) replaced->Unpin();
}

Pinned<InstalledAECallback> CVorlixApp::AECallback() {
  ServerLock::Hold hold(serverLock_);
  return Pinned<InstalledAECallback>(aeCallback_);
}

BOOL CVorlixApp::SetTagProperty(DWORD handle, DWORD id, const char* description, const VARIANT& value) {
  ServerLock::Hold hold(serverLock_);
  OPCTag* tag = tags_.TagFromHandle(handle);
  return tag != nullptr ? tag->SetProperty(id, description, value) : FALSE;
}

BOOL CVorlixApp::SetLevelAlarm(DWORD handle, int alarm, FLOAT limit, DWORD severity, BOOL enabled) {
  ServerLock::Hold hold(serverLock_);
  OPCTag* tag = tags_.TagFromHandle(handle);
  return tag != nullptr ? tag->SetLevelAlarm(alarm, limit, severity, enabled) : FALSE;
}

BOOL CVorlixApp::GetLevelAlarm(DWORD handle, int alarm, FLOAT* limit, DWORD* severity, BOOL* enabled) {
  ServerLock::Hold hold(serverLock_);
  const OPCTag* tag = tags_.TagFromHandle(handle);
  return tag != nullptr ? tag->GetLevelAlarm(alarm, limit, severity, enabled) : FALSE;
}

OPCNAMESPACETYPE CVorlixApp::QueryOrganization() {
  ServerLock::Hold hold(serverLock_);
  return AddressSpaceLister(tags_.Root(), Delimiter()).Organization();
}

const OPCTag* CVorlixApp::ResolveBrowsePath(const std::vector<std::string>& position) const {
  return AddressSpaceLister(tags_.Root(), Delimiter()).Resolve(position);
}

const OPCTag* CVorlixApp::FindBranch(const std::string& path, BOOL* noChildren) const {
  const OPCTag* node = ResolveBrowsePath(SplitItemName(path, Delimiter()));
  if (node != nullptr && noChildren != nullptr) *noChildren = node->children.empty() ? TRUE : FALSE;
  return node;
}

int CVorlixApp::BrowseItemIDs(const std::vector<std::string>& position, std::vector<std::string>& names,
                              OPCBROWSETYPE type, LPCWSTR nameFilter, VARTYPE typeFilter, DWORD rightsFilter) const {
  // A filter the ANSI code page cannot hold matches no name. Names are
  // matched widened, character by character.
  if (!NarrowAnsi(nameFilter)) return 0;
  const AddressSpaceLister::LeafFilter filter{
      WideString(nameFilter, WideLength(nameFilter)).substr(0, AddressSpaceLister::kMaxFilterLength), typeFilter,
      rightsFilter};
  return AddressSpaceLister(tags_.Root(), Delimiter()).List(position, type, filter, names);
}

int CVorlixApp::ScanClients(BOOL forced) {
  const ClientSnapshot clients = SnapshotClients();
  if (serverLock_.HeldByCurrentThread()) {
    for (OPCServer* client : clients) {
      if (forced) client->RequestForcedScan();
    }
    updateTimer_.Pulse();
    return clients.Size();
  }
  for (OPCServer* client : clients) {
    client->ProcessAsyncRequests();
    client->ScanGroups(forced);
  }
  return clients.Size();
}

void CVorlixApp::ExitInstance() {
  if (exited_.exchange(true)) return;
  // At the process's end the clients' threads and COM's are gone: shutdown
  // requests and the revocation would wait for them forever, and the system
  // takes back what the process held.
  if (ProcessIsEnding()) return;
  updateTimer_.Stop();
  RequestDisconnectAll();
  {
    ServerLock::Hold hold(serverLock_);
    clients_.StopAndRemoveAll();
  }
  workers_.WaitForWorkers();
  workers_.JoinAll();
  startup_.RevokeClassObject();
}

HRESULT CVorlixApp::CreateServer(REFIID riid, void** ppvObject) {
  if (!startup_.Initialised()) {
    ClearOutPointers(ppvObject);
    return E_FAIL;
  }
  OPCServer* server = new (std::nothrow) OPCServer;
  if (server == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = server->QueryInterface(riid, ppvObject);
  if (FAILED(hr)) {
    delete server;
    return hr;
  }
  // The worker starts before the object is listed, so that an object whose
  // worker cannot start was never seen by any walk and can go at once.
  if (!workers_.Start(server)) {
    *ppvObject = nullptr;
    delete server;
    return E_OUTOFMEMORY;
  }
  ServerLock::Hold hold(serverLock_);
  clients_.Add(server);
  return hr;
}

BOOL CVorlixApp::RemoveServer(OPCServer* server) {
  bool listed = false;
  int remaining = 0;
  {
    ServerLock::Hold hold(serverLock_);
    listed = clients_.Remove(server);
    remaining = clients_.Count();
    // Cleared before the pulse, so the worker cannot miss it; from here on the
    // worker may delete the object.
    server->Stop();
  }
  if (listed) NotifyDisconnect(remaining);
  updateTimer_.Pulse();
  return listed ? TRUE : FALSE;
}

void CVorlixApp::NotifyDisconnect(int remainingClients) {
  const DISCONNECTNOTIFYPROC proc = disconnectProc_.Get();
  if (proc == nullptr) return;
  assert(!serverLock_.HeldByCurrentThread());
  proc(static_cast<DWORD>(remainingClients));
}

int CVorlixApp::RequestDisconnectAll() {
  const ClientSnapshot clients = SnapshotClients();
  for (OPCServer* client : clients) client->SendShutdownRequest();
  return clients.Size();
}

int CVorlixApp::ClientCount() {
  ServerLock::Hold hold(serverLock_);
  return clients_.Count();
}

ClientSnapshot CVorlixApp::SnapshotClients() {
  ServerLock::Hold hold(serverLock_);
  return clients_.Snapshot();
}

HRESULT CVorlixApp::ClientWrite(const char* userName, const std::string& tagName, VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  DWORD handle = VORLIX_INVALID_TAG;
  uint32_t updatesBefore = 0;
  {
    ServerLock::Hold hold(serverLock_);
    const OPCTag* tag = tags_.FindTag(std::string(), tagName);
    if (tag == nullptr) return OPC_E_INVALIDHANDLE;
    // A branch has no handle to report to the host, nor a write right.
    if (!tag->HasHandle()) return OPC_E_BADRIGHTS;
    handle = tag->live->handle;
    updatesBefore = tag->live->updates;
  }
  const DWORD result = NotifyWrite(handle, value, userName);
  if (result != 0) return static_cast<HRESULT>(result);
  // The host may have removed the tag inside its callback. An update it made
  // meanwhile (confirming this write or an overlapping one) is newer than the
  // written value and has reached the clients' items already: it stays.
  ServerLock::Hold hold(serverLock_);
  TagLive* tag = tags_.LiveFromHandle(handle);
  if (tag == nullptr || tag->updates != updatesBefore) return S_OK;
  return tag->SetValue(*value);
}

DWORD CVorlixApp::NotifyWrite(DWORD handle, VARIANT* value, const char* userName) {
  assert(!serverLock_.HeldByCurrentThread());
  DWORD result = 0;
  if (const WRITENOTIFYPROC2 proc = writeNotifyProc2_.Get()) {
    char user[kUserNameBufferSize] = {};
    if (userName != nullptr) std::strncpy(user, userName, kUserNameBufferSize - 1);
    proc(handle, value, &result, user);
  } else if (const WRITENOTIFYPROC proc = writeNotifyProc_.Get()) {
    proc(handle, value, &result);
  }
  return result;
}

BOOL CVorlixApp::EnableWriteNotification(WRITENOTIFYPROC proc, BOOL convertToCanonical) {
  convertToCanonical_ = convertToCanonical;
  return writeNotifyProc_.Set(proc);
}

BOOL CVorlixApp::EnableWriteNotification2(WRITENOTIFYPROC2 proc, BOOL convertToCanonical) {
  convertToCanonical_ = convertToCanonical;
  return writeNotifyProc2_.Set(proc);
}

BOOL CVorlixApp::EnableNTSecurity(BOOL enable, DWORD minImpersonationLevel) {
  ServerLock::Hold hold(serverLock_);
  ntSecurity_.Enable(enable != FALSE, minImpersonationLevel);
  return TRUE;
}

BOOL CVorlixApp::NTSecurityEnabled() {
  ServerLock::Hold hold(serverLock_);
  return ntSecurity_.Enabled() ? TRUE : FALSE;
}

DWORD CVorlixApp::MinImpersonationLevel() {
  ServerLock::Hold hold(serverLock_);
  return ntSecurity_.MinImpersonationLevel();
}

DWORD CVorlixApp::DefineNTUser(const std::string& recordName, const std::string& accountName, DWORD access) {
  ServerLock::Hold hold(serverLock_);
  return ntSecurity_.DefineUser(recordName, accountName, access);
}

BOOL CVorlixApp::CheckNTAccess(DWORD accessWord) {
  ServerLock::Hold hold(serverLock_);
  return ntSecurity_.CheckAccess(accessWord, nullptr) ? TRUE : FALSE;
}

const std::string& CVorlixApp::GetClientUserName(DWORD accessWord) {
  static const std::string& unknown = InternedTexts::Intern(kUnknownUser);
  ServerLock::Hold hold(serverLock_);
  std::string account;
  if (!ntSecurity_.Enabled() || !ntSecurity_.CheckAccess(accessWord, &account)) return unknown;
  return InternedTexts::Intern(account);
}

CVorlixApp& VorlixApp() {
  // Function-local, so that it is built before first use whatever the order of
  // static initialisation, and destroyed after everything built later.
  static CVorlixApp app;
  return app;
}

namespace {
// Builds the application object when the library is loaded.
[[maybe_unused]] const bool builtAtLoad = (VorlixApp(), true);
}  // namespace
