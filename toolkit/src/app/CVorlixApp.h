// The library's one application object: all library-wide state, built when the
// library is loaded and taken down when it is unloaded. Each area's logic lives
// in the component that owns its state; the member functions here are the entry
// points the rest of the library calls.
#pragma once

#include "Vorlix.h"
#include "ae/COPCEvent.h"
#include "app/HostCallback.h"
#include "app/ServerLock.h"
#include "app/TaskMemory.h"
#include "app/TraceSink.h"
#include "com/Pinned.h"
#include "da/group/ClientItemIndex.h"
#include "runtime/ClientList.h"
#include "runtime/ClientWorkers.h"
#include "runtime/ServerStartup.h"
#include "runtime/UpdateTimer.h"
#include "security/NTSecurity.h"
#include "tags/TagBatch.h"
#include "tags/TagDatabase.h"

#include "platform/guid.h"
#include "platform/opcae.h"
#include "platform/opcda.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class InstalledAECallback;

class CVorlixApp {
 public:
  CVorlixApp();
  ~CVorlixApp();
  CVorlixApp(const CVorlixApp&) = delete;
  CVorlixApp& operator=(const CVorlixApp&) = delete;

  // The server-wide lock; library code takes it through ServerLock::Hold.
  ServerLock& GetServerLock() { return serverLock_; }

  // Tracing to the host's EVENTMSGPROC: the text, then the suffix when one is
  // given (an outcome, an interface name, a method), cut to the host's buffer.
  void TraceMessage(const char* text, const char* suffix = nullptr) const { trace_.Trace(text, suffix); }
  // "<object>::<method>(<count>)", without allocating.
  void TraceCount(const char* object, const char* method, LONG count) const {
    trace_.TraceCount(object, method, count);
  }
  BOOL EnableEventMessages(EVENTMSGPROC proc) { return trace_.Enable(proc); }

  // Task memory: every block handed to a COM client comes from the task
  // allocator, which the server takes when it starts (NULL blocks before).
  void SetTaskAllocator(IMalloc* allocator) { taskMemory_.SetAllocator(allocator); }
  void* TaskAlloc(SIZE_T bytes) const { return taskMemory_.Alloc(bytes); }
  WCHAR* AllocWideFromAnsi(const char* text, BOOL useTask) const {
    return taskMemory_.AllocWideFromAnsi(text, useTask);
  }
  void TaskFree(void* block, BOOL useTask) const { taskMemory_.Free(block, useTask); }

  std::string GetErrorText(HRESULT code) const;

  // The vendor text of the status reports.
  std::string VendorInfo();
  void SetVendorInfo(const char* vendor);

  DWORD ServerState() const { return serverState_.load(); }
  void SetServerState(DWORD state) { serverState_ = state; }
  BOOL LevelAlarmEvents() const { return levelAlarmEvents_.load(); }

  // Server start-up and shut-down (see ServerStartup). The threading model
  // counts from the next InitServer on.
  void SetApartmentThreaded(bool apartmentThreaded) { startup_.SetApartmentThreaded(apartmentThreaded); }
  BOOL InitServer(const CLSID& classId, UINT rate) { return startup_.Init(classId, rate); }
  BOOL UninitServer() { return startup_.Uninit(); }
  // The period of the update timer, at least 10 ms; a change applies at once.
  UINT ServerRate() const { return updateTimer_.Rate(); }
  void ResetServerRate(UINT rate) { updateTimer_.SetRate(rate); }
  FILETIME StartTime() const { return startup_.StartTime(); }

  // The library's exit step, run once by the destructor unless run before:
  // stops the update timer, asks every client to disconnect, unlists them and
  // ends their worker threads (waiting as long as UninitServer does), joins
  // those threads and revokes the class object.
  void ExitInstance();

  // Clients. CreateServer makes a new client's server object with its worker
  // thread (E_FAIL unless the server is initialised); RemoveServer is its last
  // Release: it unlists the object, tells the host the number of clients left,
  // and wakes the worker so that it ends and deletes the object (FALSE when
  // the object was not listed; it still ends).
  HRESULT CreateServer(REFIID riid, void** ppvObject);
  BOOL RemoveServer(OPCServer* server);
  // Asks every client to disconnect; the number of clients.
  int RequestDisconnectAll();
  int ClientCount();
  // The clients now, pinned for a walk without the lock.
  ClientSnapshot SnapshotClients();
  // Every client's items by the tag they name; the caller holds the lock.
  ClientItemIndex& ClientItems() { return clientItems_; }
  // Worker threads not yet ended, and how long shut-down waits for them.
  LONG ClientThreadCount() const { return workers_.Running(); }
  void SetClientWaitLimit(ClientWorkers::WaitLimit limit) { workers_.SetWaitLimit(limit); }

  // Item names.
  char Delimiter() const { return tags_.Delimiter(); }
  // Sets the delimiter unless it is 0; the delimiter in force.
  char SetDelimiter(char delimiter);
  std::string MakeFullName(const std::string& accessPath, const std::string& itemId) const;
  int SplitName(const std::string& name, std::vector<std::string>& components) const;

  // The tag database. These take the lock themselves where they change or
  // answer for the tree; FindTag and TagFromHandle expect the caller to hold it.
  OPCTag* FindTag(std::string_view accessPath, std::string_view itemId) const {
    return tags_.FindTag(accessPath, itemId);
  }
  OPCTag* TagFromHandle(DWORD handle) const { return tags_.TagFromHandle(handle); }
  OPCTag& RootTag() { return tags_.Root(); }
  // A new leaf with read word `readAccess` and write word `writeAccess`: its
  // handle, or VORLIX_INVALID_TAG (name taken or one no client could name,
  // NULL argument, uncopyable value).
  DWORD CreateTag(const char* fullName, const VARIANT* value, WORD quality, DWORD readAccess, DWORD writeAccess);
  BOOL RemoveTag(DWORD handle);
  // A suspended tag counts as unknown to new client items.
  BOOL SuspendTag(DWORD handle, BOOL suspend);

  // Resolves one client item definition: the tag (while the caller holds no
  // lock, the unknown-item callback may create it), the requested type's
  // convertibility and the client's access rights. A name that resolves to a
  // branch is unknown (OPC_E_UNKNOWNITEMID). Takes the lock itself and
  // must be called without it. The tag given out stays valid only until it is
  // removed; hold the lock while using it. For a valid item (S_OK), `use`,
  // when given, runs under the same hold of the lock with the tag and the
  // narrowed names, and its result is the call's: AddItems makes the item
  // there, without finding the tag again.
  using ValidItemUse =
      std::function<HRESULT(OPCTag& tag, const std::string& accessPath, const std::string& itemId)>;
  HRESULT ValidateItem(const OPCITEMDEF& item, OPCITEMRESULT* result, OPCTag** tagOut, DWORD* accessRights,
                       const ValidItemUse& use = nullptr);

  // The hash index (see TagDatabase).
  UINT SetHashing(UINT request);
  int64_t HashSlot(std::string_view key, std::string_view name) const { return tags_.HashSlot(key, name); }
  OPCTag* HashFindTag(std::string_view accessPath, std::string_view itemId) const {
    return tags_.HashFindTag(accessPath, itemId);
  }
  OPCTag* FindChildHashed(const OPCTag& parent, std::string_view branchKey, std::string_view component,
                          int64_t* slot) const {
    return tags_.FindChildHashed(parent, branchKey, component, slot);
  }

  // Over all clients, under the lock: the items that name the tag, and the
  // fastest non-zero update rate among the groups holding one (0 when none);
  // each a walk over the items naming the tag alone.
  int CountTagItems(const std::string& tagName);
  DWORD FastestItemRate(const OPCTag& tag);

  // Host updates. Each stores a copy of the value with the quality and a
  // timestamp (now, or the caller's) in the tag and copies the tag into the
  // client items naming it; an update by handle also evaluates the level
  // alarms and broadcasts the event after releasing the lock. FALSE for an
  // unknown tag, a NULL value or a value that cannot be copied (the tag keeps
  // its old one).
  BOOL UpdateTagValue(DWORD handle, const VARIANT* value, WORD quality);
  BOOL UpdateTagValueAt(DWORD handle, const VARIANT* value, WORD quality, const FILETIME& timestamp);
  BOOL UpdateTagValueByName(const char* name, const VARIANT* value, WORD quality);

  // Copies the tag's value into `value` (its old content is freed), and its
  // quality and timestamp where asked for. FALSE for an unknown tag or NULL value.
  BOOL ReadTagValue(DWORD handle, VARIANT* value, WORD* quality, FILETIME* timestamp);

  // A batch: StartUpdateTags takes the lock and keeps it for the calling thread
  // (FALSE, taking nothing, when that thread has a batch open already);
  // AddTagToBatch stores a value now and queues the tag and any alarm event;
  // EndUpdateTags copies the queued tags into the client items, releases the
  // lock and broadcasts the events in order. The last two are FALSE unless the
  // calling thread has a batch open; another thread waits until it is closed.
  BOOL StartUpdateTags();
  BOOL AddTagToBatch(DWORD handle, const VARIANT* value, WORD quality);
  BOOL EndUpdateTags();

  // Copies the tag, or the open batch's tags, into every client's items. The
  // caller holds the lock.
  void PropagateToClients(const TagLive& tag);
  void PropagateBatchToClients();

  // The subscription handle that names every subscription of a broadcast; no
  // subscription has it as its own.
  static constexpr DWORD kAllSubscriptions = 0;

  // Events for the clients' subscriptions: an event record to every
  // subscription, a simple event from the source to every subscription, and an
  // event given field by field to every subscription (kAllSubscriptions) or to
  // the one named, with the client's refresh flags. Each event reaches the
  // connected sinks on the calling thread, in the order of the calls, with the
  // lock released (unless the caller holds it, as a batch does).
  void BroadcastEventRecord(const COPCEvent& event);
  void BroadcastBatchEvents(const std::vector<std::unique_ptr<COPCEvent>>& events);
  void BroadcastUserMessage(const char* source, const char* message, DWORD severity);
  // FALSE, nothing sent, when the event cannot be built from the fields.
  BOOL BroadcastEvent(DWORD subscription, const ONEVENTSTRUCT& event, BOOL refresh, BOOL lastRefresh);

  // For tests: sees, under the lock, every event broadcast, with the
  // subscription it is for (0: all) and the refresh flags. A host message is
  // seen as the record a subscription builds from it. An empty one removes it.
  using EventObserver = std::function<void(const COPCEvent& event, DWORD subscription, BOOL refresh, BOOL lastRefresh)>;
  void SetEventObserver(EventObserver observer);

  // Installs the AE callback object, unless it is the one installed; the one
  // it replaces is deleted once no call is inside it any more, without the
  // lock. Level-alarm events on exactly when `noLevelAlarms` is FALSE.
  void SetAECallback(BOOL noLevelAlarms, CLumoAExCallback* callback);
  // The installed object, pinned, or none. The pin keeps it alive through a
  // call made without the lock, even when the host replaces it meanwhile.
  Pinned<InstalledAECallback> AECallback();

  // Under the lock, for the tag of that handle (FALSE when there is none):
  // OPCTag::SetProperty, SetLevelAlarm and GetLevelAlarm.
  BOOL SetTagProperty(DWORD handle, DWORD id, const char* description, const VARIANT& value);
  BOOL SetLevelAlarm(DWORD handle, int alarm, FLOAT limit, DWORD severity, BOOL enabled);
  BOOL GetLevelAlarm(DWORD handle, int alarm, FLOAT* limit, DWORD* severity, BOOL* enabled);

  // The address space as the browsing interface reads it (see
  // AddressSpaceLister). The organisation takes the lock itself; for the
  // others the caller holds it. FindBranch splits a path text at the delimiter
  // and also tells whether the node it names has no children.
  OPCNAMESPACETYPE QueryOrganization();
  const OPCTag* ResolveBrowsePath(const std::vector<std::string>& position) const;
  const OPCTag* FindBranch(const std::string& path, BOOL* noChildren) const;
  // Lists names under the node at `position` into `names` (see
  // AddressSpaceLister::List); the client's wide name filter is narrowed and
  // cut to AddressSpaceLister::kMaxFilterLength characters. The number of names.
  int BrowseItemIDs(const std::vector<std::string>& position, std::vector<std::string>& names, OPCBROWSETYPE type,
                    LPCWSTR nameFilter, VARTYPE typeFilter, DWORD rightsFilter) const;

  // Runs every client's queued requests and group scan on the calling thread;
  // the number of clients. A caller that holds the server lock (inside an
  // update batch) must not reach client sinks: the scans are left to the
  // clients' next pass, forced when asked.
  int ScanClients(BOOL forced);

  // A client writes the tag of that full name: the host's write callback
  // decides (with the lock released), and the value is stored when it accepts
  // or when no callback is set. Quality and timestamp stay; the host confirms
  // with an update. The callback's result word, or OPC_E_INVALIDHANDLE for a
  // name that names no tag.
  HRESULT ClientWrite(const char* userName, const std::string& tagName, VARIANT* value);

  // Host callbacks.
  HostCallback<UNKNOWNITEMPROC>& UnknownItemProc() { return unknownItemProc_; }
  HostCallback<DISCONNECTNOTIFYPROC>& DisconnectProc() { return disconnectProc_; }
  HostCallback<READDEVICEPROC>& DeviceReadProc() { return deviceReadProc_; }
  HostCallback<ITEMREMOVEDPROC>& ItemRemovedProc() { return itemRemovedProc_; }
  HostCallback<RATENOTIFYPROC>& RateProc() { return rateProc_; }
  BOOL EnableWriteNotification(WRITENOTIFYPROC proc, BOOL convertToCanonical);
  BOOL EnableWriteNotification2(WRITENOTIFYPROC2 proc, BOOL convertToCanonical);
  // Whether client writes are converted to the item's canonical type before the host sees them.
  BOOL ConvertToCanonical() const { return convertToCanonical_.load(); }

  // The class identifier the server registers and runs under: the last one
  // given to UpdateRegistry or InitVarnOPCsvr, all zeros before.
  CLSID ServerClsid() const { return startup_.ClassId(); }
  void SetServerClsid(const CLSID& clsid) { startup_.SetClassId(clsid); }

  // NT access control (see NTSecurity); each takes the lock itself.
  BOOL EnableNTSecurity(BOOL enable, DWORD minImpersonationLevel);
  // Whether the checks are on, and the lowest impersonation level a client must allow.
  BOOL NTSecurityEnabled();
  DWORD MinImpersonationLevel();
  DWORD DefineNTUser(const std::string& recordName, const std::string& accountName, DWORD access);
  // The rights the calling client gets for the tag: by its NT levels while NT
  // security is on, else by the tag's access bits. The caller holds the lock.
  DWORD ClientAccessRights(const OPCTag& tag);
  // Whether the calling client holds the NT level of the tag's read or write word.
  BOOL CheckNTAccess(DWORD accessWord);
  // The account of the first record granting the word's level to the calling
  // client; "Unknown" when none does or NT security is off. The text lives as
  // long as the process (see InternedTexts): client items keep it.
  const std::string& GetClientUserName(DWORD accessWord);

 private:
  void InitInstance();
  // The leaf for a client item, or NULL when there is none, it is suspended or
  // the name resolves to a branch.
  OPCTag* FindItemTag(const std::string& accessPath, const std::string& itemId) const;
  // Calls the host's unknown-item callback with copies of the names; false when none is set.
  bool NotifyUnknownItem(const std::string& accessPath, const std::string& itemId);
  BOOL UpdateByHandle(DWORD handle, const VARIANT* value, WORD quality, const FILETIME& timestamp);
  // Calls the host's write callback; its result word (0 when none is set).
  DWORD NotifyWrite(DWORD handle, VARIANT* value, const char* userName);
  // Calls the host's disconnect callback, when one is set.
  void NotifyDisconnect(int remainingClients);
  // Under the lock: lets `show` hand the observer the event of a broadcast
  // when one is set, and takes the clients the broadcast goes to.
  ClientSnapshot SnapshotClientsObserved(const std::function<void(const EventObserver&)>& show);

  ServerLock serverLock_;
  TraceSink trace_;
  TaskMemory taskMemory_;
  std::atomic<BOOL> levelAlarmEvents_{TRUE};
  std::string vendorInfo_;
  std::atomic<DWORD> serverState_{0};
  HostCallback<UNKNOWNITEMPROC> unknownItemProc_;
  HostCallback<DISCONNECTNOTIFYPROC> disconnectProc_;
  HostCallback<READDEVICEPROC> deviceReadProc_;
  HostCallback<ITEMREMOVEDPROC> itemRemovedProc_;
  HostCallback<RATENOTIFYPROC> rateProc_;
  HostCallback<WRITENOTIFYPROC> writeNotifyProc_;
  HostCallback<WRITENOTIFYPROC2> writeNotifyProc2_;
  std::atomic<BOOL> convertToCanonical_{TRUE};
  ClientList clients_;
  // Before the tags: the leaves point into it.
  ClientItemIndex clientItems_;
  TagDatabase tags_;
  TagBatch batch_;
  // The hold StartUpdateTags keeps for the batch's thread until EndUpdateTags.
  // Only the thread holding the lock touches it.
  std::optional<ServerLock::Hold> batchHold_;
  NTSecurity ntSecurity_;
  // Pinned by the application while installed; NULL when none is.
  InstalledAECallback* aeCallback_;
  EventObserver eventObserver_;
  // Destroyed first: the timer stops before the event closes and the tree goes.
  UpdateTimer updateTimer_{[this] { ScanClients(FALSE); }};
  ClientWorkers workers_{updateTimer_};
  ServerStartup startup_{taskMemory_, updateTimer_, workers_};
  std::atomic<bool> exited_{false};
};

// The application object; it exists from library load to unload.
CVorlixApp& VorlixApp();
