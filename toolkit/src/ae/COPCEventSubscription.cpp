#include "ae/COPCEventSubscription.h"

#include "ae/AECallbackCall.h"
#include "ae/COPCEvent.h"
#include "ae/IOPCEventSubscriptionMgtHolder.h"
#include "ae/OPCEventConnectionContainer.h"
#include "da/server/OPCServer.h"

#include "platform/IOPCEventSink.h"
#include "platform/handletable.h"
#include "platform/opcguid.h"

#include <new>
#include <string>

HRESULT COPCEventSubscription::Create(OPCServer& server, OPCHANDLE clientHandle, REFIID riid, void** ppvObject,
                                      DWORD* handle) {
  auto* subscription = new (std::nothrow) COPCEventSubscription(server, clientHandle);
  if (subscription == nullptr) return E_FAIL;
  // Held while it is set up, so that a failed QueryInterface deletes it.
  subscription->Pin();
  const HRESULT hr = subscription->QueryInterface(riid, ppvObject);
  if (SUCCEEDED(hr)) {
    server.AddEventSubscription(subscription);
    *handle = subscription->Handle();
  }
  subscription->Unpin();
  return hr;
}

COPCEventSubscription::COPCEventSubscription(OPCServer& server, OPCHANDLE clientHandle)
    : server_(&server), clientHandle_(clientHandle), handle_(SharedHandleTable<COPCEventSubscription>::Add(this)) {}

COPCEventSubscription::~COPCEventSubscription() { SharedHandleTable<COPCEventSubscription>::Remove(handle_); }

const InterfaceTableRow<COPCEventSubscription> COPCEventSubscription::kOfferedInterfaces[] = {
    {&IID_IUnknown, nullptr, " IID_IUnknown", kAnswersItself, nullptr},
    {&IID_IOPCEventSubscriptionMgt, nullptr, " IID_IOPCEventSubscriptionMgt", kManagementHolder,
     MakeHolder<IOPCEventSubscriptionMgtHolder, COPCEventSubscription>},
    {&IID_IConnectionPointContainer, nullptr, " IID_IConnectionPointContainer", kConnectionContainerHolder,
     MakeHolder<OPCEventConnectionContainer, COPCEventSubscription>},
};

HRESULT COPCEventSubscription::QueryInterface(REFIID riid, void** ppvObject) {
  return QueryInterfaceFromTable(*this, "COPCEventSubscription", kOfferedInterfaces, holders_, riid, ppvObject);
}

ULONG COPCEventSubscription::AddRef() {
  holds_.fetch_add(1);
  const LONG count = ++references_;
  VorlixApp().TraceCount("COPCEventSubscription", "AddRef", count);
  return static_cast<ULONG>(count);
}

ULONG COPCEventSubscription::Release() {
  const LONG count = --references_;
  VorlixApp().TraceCount("COPCEventSubscription", "Release", count + 1);
  if (count == 0) LeaveServer();
  DropHold();
  return static_cast<ULONG>(count);
}

void COPCEventSubscription::LeaveServer() {
  AnnounceRemoval();
  {
    // The server detaches its subscriptions under the lock before it goes, so
    // one read under the lock is still alive while the lock is held.
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    if (server_ != nullptr) server_->RemoveEventSubscription(this);
  }
  // A broadcast may still hold the subscription for a while; the client's
  // sink hears nothing more from now on.
  if (OPCEventConnectionContainer* container = Container()) container->Point().Disconnect();
}

void COPCEventSubscription::DropHold() {
  if (holds_.fetch_sub(1) == 1) delete this;
}

void COPCEventSubscription::AnnounceRemoval() {
  if (removalAnnounced_.exchange(true)) return;
  CallAECallback([this](CLumoAExCallback& callback) { return callback.RemoveEventSubscription(handle_); });
}

void COPCEventSubscription::FireSimpleEvent(const char* source, const char* message, DWORD severity) {
  Deliver(*COPCEvent::MakeSimpleEvent(source, message, severity), FALSE, FALSE);
}

void COPCEventSubscription::FireEvent(const COPCEvent& event, BOOL refresh, BOOL lastRefresh) {
  Deliver(event, refresh, lastRefresh);
}

void COPCEventSubscription::FireEventRecord(const COPCEvent& event) { Deliver(event, FALSE, FALSE); }

void COPCEventSubscription::Deliver(const COPCEvent& event, BOOL refresh, BOOL lastRefresh) {
  if (Removed()) return;
  IOPCEventSink* sink = AcquireSink();
  if (sink == nullptr) return;
  if (ONEVENTSTRUCT* packed = event.Pack()) {
    sink->OnEvent(clientHandle_, refresh, lastRefresh, 1, packed);
    COPCEvent::FreePacked(packed);
  }
  sink->Release();
}

IOPCEventSink* COPCEventSubscription::AcquireSink() {
  OPCEventConnectionContainer* container = Container();
  return container != nullptr ? container->Sink() : nullptr;
}

OPCEventConnectionContainer* COPCEventSubscription::Container() const {
  return static_cast<OPCEventConnectionContainer*>(holders_[kConnectionContainerHolder].Existing());
}
