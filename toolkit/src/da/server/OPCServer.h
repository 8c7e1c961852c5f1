// The COM server object of one client connection. The class factory creates
// it, the application object lists it among the clients and gives it a worker
// thread. It owns the client's groups and event subscriptions and offers its
// interfaces through interface holders made on first request.
//
// Lifetime (see ObjectLifetime): the last Release unlists it
// (CVorlixApp::RemoveServer), which clears its running flag and wakes its
// worker thread; that thread, which pins the object from the start, deletes
// it once no walk over a client-list snapshot pins it any more. Client
// references do not keep it: the library ends it when it is unloaded.
#pragma once

#include "com/HolderSlot.h"
#include "com/InterfaceTable.h"
#include "com/ObjectLifetime.h"
#include "com/PinnedList.h"
#include "da/group/OPCGroup.h"

#include "platform/opcae.h"
#include "platform/unknown.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class COPCEvent;
class COPCEventSubscription;
class OPCTag;

class OPCServer final : public IUnknown {
 public:
  OPCServer();
  ~OPCServer();
  OPCServer(const OPCServer&) = delete;
  OPCServer& operator=(const OPCServer&) = delete;

  // IUnknown, traced. A null out-pointer gives E_INVALIDARG; an interface the
  // server does not offer gives a null out-pointer and E_NOINTERFACE.
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // When the object was made (UTC): the last-update time of its status.
  FILETIME CreationTime() const { return creationTime_; }
  // The name the client gave itself; empty until it does.
  std::string ClientName() const;
  void SetClientName(std::string name);

  // The worker thread runs while this is set; Stop clears it for good.
  bool IsRunning() const { return running_.load(); }
  void Stop() { running_ = false; }

  // Walks over a snapshot of the client list pin the servers in it. An unpin
  // never deletes the object: its worker thread takes its own pin away and
  // waits for the others to go before it deletes it.
  void Pin() { life_.Pin(); }
  void Unpin() { life_.Unpin(); }
  void WaitUntilUnpinned() { life_.UnpinAndWait(); }

  // The group list, in creation order. Each call takes the server lock.
  int GetGroupCount() const;
  // The group at that position, or NULL.
  OPCGroup* GetGroupAt(int index) const;
  // Gives the group its server handle and appends it; TRUE.
  BOOL AddGroupToList(OPCGroup* group);
  // Takes the entry out of the list (the group itself stays); FALSE for a bad index.
  BOOL RemoveGroupAt(int index);
  // Whether a group carries exactly this name (case-sensitive).
  BOOL FindGroupByName(const std::string& name) const;
  // The first group carrying exactly this name, or NULL. The caller holds the
  // server lock while it uses the group.
  OPCGroup* GroupNamed(const std::string& name) const;
  // Makes a group with these settings (the default group name for an empty
  // one), answers the client's interface request on it and appends it, all
  // under the server lock, so that no other group takes the name meanwhile.
  // OPC_E_DUPLICATENAME when a group carries the name, E_OUTOFMEMORY, or the
  // error of the group's QueryInterface (the group is then gone). `created`
  // receives the group; use it under the server lock.
  HRESULT CreateGroup(OPCGroup::Settings settings, REFIID riid, void** ppUnk, OPCGroup** created);
  // Takes the group with that server handle out of the list and detaches it;
  // the caller then lets go of it (OPCGroup::ReleaseFromList). NULL when no
  // group has the handle.
  OPCGroup* UnlistGroup(OPCHANDLE serverHandle);
  // "Group n" with the smallest n that no group carries.
  std::string MakeDefaultGroupName() const;
  // Appends every group, AddRef'd, or its name, for the private and "all"
  // enumeration scopes; nothing for the public ones or any other value.
  void SnapshotGroups(DWORD scope, std::vector<IUnknown*>& groups) const;
  void SnapshotGroupNames(DWORD scope, std::vector<std::string>& names) const;

  // The client's queued asynchronous requests, then its groups' data-change
  // scan (every active group sends at once when forced). Called without the
  // server lock: both may reach the client's sinks. The worker's pulse and a
  // forced refresh on the host's thread take turns (the scan lock), so no
  // group is scanned twice at once and no change is sent twice. The number of
  // groups walked.
  int ProcessAsyncRequests();
  int ScanGroups(BOOL forced);
  // The next scan is forced, whoever runs it.
  void RequestForcedScan() { forcedScanRequested_ = true; }
  // How many scans ran so far (worker passes and forced refreshes).
  LONG ScanCount() const { return scans_.load(); }

  // Copies an updated tag, or a batch of them, into the items naming it. The
  // caller holds the server lock. The number of groups walked.
  int PropagateTag(const OPCTag& tag);
  int PropagateTagList(const std::vector<const OPCTag*>& tags);

  // The number of this client's items that name the tag.
  int CountTagItems(const std::string& tagName) const;
  // The smallest update rate among this client's groups that hold an item for
  // the tag; 0 when none does.
  DWORD FastestTagRate(const OPCTag& tag) const;
  // Every group recomputes its items' access rights for the calling client;
  // TRUE only when every group succeeded.
  BOOL RecheckItemRights();

  // The event subscriptions; the list holds each one it lists (see
  // COPCEventSubscription). Adding takes over the subscription's list pin.
  // Unlisting takes it out of the list and marks it removed, under the server
  // lock; the subscription lets go of the list's pin itself
  // (COPCEventSubscription::ReleaseFromList). FALSE when it was not listed.
  BOOL AddEventSubscription(COPCEventSubscription* subscription);
  BOOL UnlistEventSubscription(COPCEventSubscription* subscription);

  // Hands an event to every subscription of the client, or with a subscription
  // handle other than 0 to that one alone when the client owns it (another
  // client's or an unknown handle reaches nothing). The subscriptions are
  // taken under the server lock and reach their sinks after it is released
  // (unless the caller holds it), on the calling thread. The number of
  // subscriptions reached.
  int BroadcastUserMessage(const char* source, const char* message, DWORD severity);
  int BroadcastEvent(DWORD subscription, const COPCEvent& event, BOOL refresh, BOOL lastRefresh);
  int BroadcastEventRecord(const COPCEvent& event);

  // Asks the client to disconnect through its shutdown sink, when it has one.
  // Called without the server lock: the sink is the client's code.
  void SendShutdownRequest();

 private:
  // Where an offered interface's holder is kept.
  enum HolderIndex {
    kServerHolder,
    kBrowseHolder,
    kConnectionContainerHolder,
    kItemPropertiesHolder,
    kCommonHolder,
    kEventServerHolder,
    kSecurityHolder,
    kHolderCount
  };
  static const InterfaceTableRow<OPCServer> kOfferedInterfaces[];

  // The subscriptions an event goes to (all for handle 0, else the one with
  // that handle), and the groups, each taken under the lock and pinned while
  // the walk over them runs without it.
  PinnedList<COPCEventSubscription> PinSubscriptions(DWORD subscription) const;
  PinnedList<OPCGroup> PinGroups() const;
  static bool ScopeListsPrivateGroups(DWORD scope);

  const FILETIME creationTime_;
  std::string clientName_;
  // Set while the client list lists the object.
  std::atomic<bool> running_{true};
  // Made with the worker thread's pin.
  ObjectLifetime life_{"OPCServer", 1};
  std::atomic<LONG> scans_{0};
  std::atomic<bool> forcedScanRequested_{false};
  // Serialises the drains and scans of this client's groups. Taken before the
  // server lock, never while holding it.
  std::recursive_mutex scanLock_;
  HolderSlot holders_[kHolderCount];
  std::vector<OPCGroup*> groups_;
  std::vector<COPCEventSubscription*> subscriptions_;
};
