// One client's alarms-and-events subscription: a COM object of its own, made
// by IOPCEventServer::CreateEventSubscription and listed by its OPCServer. Its
// management interface hands every call to the AE callback object, which owns
// filters and state (the subscription keeps none of its own); every event
// reaches the client through the sink it connects, at once and whatever the
// client asked for as filter or state.
//
// Lifetime: the server's list, the client's references and walks over a
// snapshot of the list each hold the object, and the last of them deletes it.
// The client's last Release takes it out of the list (the AE callback object
// hears of it first); a server that goes while the client still holds the
// subscription lets go of it, and the client's last Release then deletes it.
#pragma once

#include "com/HolderSlot.h"
#include "com/InterfaceTable.h"

#include "platform/opcae.h"
#include "platform/opcda.h"
#include "platform/unknown.h"

#include <atomic>

class COPCEvent;
class OPCEventConnectionContainer;
struct IOPCEventSink;
class OPCServer;

class COPCEventSubscription final : public IUnknown {
 public:
  // Makes a subscription of the server with the client's handle for it, and
  // hands the client the interface `riid` of it. The subscription is listed
  // only when the client got the interface; `handle` receives its handle then.
  // E_FAIL when it cannot be made; the QueryInterface result otherwise.
  static HRESULT Create(OPCServer& server, OPCHANDLE clientHandle, REFIID riid, void** ppvObject, DWORD* handle);
  COPCEventSubscription(const COPCEventSubscription&) = delete;
  COPCEventSubscription& operator=(const COPCEventSubscription&) = delete;

  // IUnknown, traced: IUnknown itself, IOPCEventSubscriptionMgt and
  // IConnectionPointContainer (with its one point for IOPCEventSink).
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // The handle that names the subscription to the host and to the AE callback
  // object; never 0, unique in the process while the subscription lives.
  DWORD Handle() const { return handle_; }

  // Keeps the subscription alive while the server's list or a walk holds it.
  void Pin() { holds_.fetch_add(1); }
  void Unpin() { DropHold(); }
  // The server lets go of the subscription; the caller holds the server lock.
  // The server drops the list's hold with Unpin once it has released the lock.
  void Detach() { server_ = nullptr; }

  // Tells the AE callback object that the subscription goes; once, however
  // often it is called. From then on the subscription is removed.
  void AnnounceRemoval();
  bool Removed() const { return removalAnnounced_.load(); }

  // A simple event from the host, an event built from the host's fields, and
  // an event the tag database raised (a level alarm), each sent at once to the
  // client's sink when one is connected. Called without the server lock.
  void FireSimpleEvent(const char* source, const char* message, DWORD severity);
  void FireEvent(const COPCEvent& event, BOOL refresh, BOOL lastRefresh);
  void FireEventRecord(const COPCEvent& event);

 private:
  enum HolderIndex { kManagementHolder, kConnectionContainerHolder, kHolderCount };
  static const InterfaceTableRow<COPCEventSubscription> kOfferedInterfaces[];

  COPCEventSubscription(OPCServer& server, OPCHANDLE clientHandle);
  ~COPCEventSubscription();
  // Drops one hold (list, COM reference or pin); the last one deletes the object.
  void DropHold();
  // Takes the subscription out of its server's list, if it is still listed.
  void LeaveServer();
  // Packs the event and hands it to the client's sink, when one is connected.
  void Deliver(const COPCEvent& event, BOOL refresh, BOOL lastRefresh);
  // The connected sink, AddRef'd, or NULL.
  IOPCEventSink* AcquireSink();
  // The connection-point container, or NULL while the client never asked for it.
  OPCEventConnectionContainer* Container() const;

  // Guarded by the server lock.
  OPCServer* server_;
  std::atomic<LONG> references_{0};
  std::atomic<LONG> holds_{0};
  std::atomic<bool> removalAnnounced_{false};
  // Passed back with every event.
  const OPCHANDLE clientHandle_;
  const DWORD handle_;
  HolderSlot holders_[kHolderCount];
};
