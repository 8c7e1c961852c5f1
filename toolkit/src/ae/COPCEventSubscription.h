// One client's alarms-and-events subscription: a COM object of its own, made
// by IOPCEventServer::CreateEventSubscription and listed by its OPCServer. Its
// management interface hands every call to the AE callback object, which owns
// filters and state (the subscription keeps none of its own); every event
// reaches the client through the sink it connects, at once and whatever the
// client asked for as filter or state.
//
// Lifetime (see ObjectLifetime): the server's list, each client reference and
// each walk over a snapshot of the list pin the object, and the last pin to go
// deletes it. It is listed, or removed: the client's last Release takes it out
// of the list, and a server that goes while the client still holds it removes
// it, which the client's last Release then deletes. Whoever takes it out of
// the list tells the AE callback object, once.
#pragma once

#include "com/HolderSlot.h"
#include "com/InterfaceTable.h"
#include "com/ObjectLifetime.h"

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

  // Keeps the subscription alive while a walk is inside it.
  void Pin() { life_.Pin(); }
  void Unpin();

  // The server lets go of the subscription: Unlist, under the server lock, as
  // it takes it out of its list; ReleaseFromList afterwards, without the lock:
  // the AE callback object hears of the removal, and the list's pin goes
  // (which may delete the subscription).
  void Unlist() { listed_ = false; }
  void ReleaseFromList();
  // Out of its server's list: events and management calls reach it no more.
  bool Removed() const { return !listed_.load(); }

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
  // Takes the subscription out of its server's list, if it is still listed,
  // and disconnects the client's sink.
  void LeaveServer();
  // Packs the event and hands it to the client's sink, when one is connected.
  void Deliver(const COPCEvent& event, BOOL refresh, BOOL lastRefresh);
  // The connected sink, AddRef'd, or NULL.
  IOPCEventSink* AcquireSink();
  // The connection-point container, or NULL while the client never asked for it.
  OPCEventConnectionContainer* Container() const;

  // Used under the server lock, while the subscription is listed: the server
  // unlists its subscriptions under that lock before it goes.
  OPCServer& server_;
  std::atomic<bool> listed_{true};
  // Made with the list's pin (given up when it is never listed).
  ObjectLifetime life_{"COPCEventSubscription", 1};
  // Passed back with every event.
  const OPCHANDLE clientHandle_;
  const DWORD handle_;
  HolderSlot holders_[kHolderCount];
};
