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
  const HRESULT hr = subscription->QueryInterface(riid, ppvObject);
  if (FAILED(hr)) {
    // Never listed, never announced: the list's pin goes and with it the object.
    subscription->Unpin();
    return hr;
  }
  server.AddEventSubscription(subscription);
  *handle = subscription->Handle();
  return hr;
}

COPCEventSubscription::COPCEventSubscription(OPCServer& server, OPCHANDLE clientHandle)
    : server_(server), clientHandle_(clientHandle), handle_(SharedHandleTable<COPCEventSubscription>::Add(this)) {}

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
  // Each client reference pins the subscription.
  Pin();
  return static_cast<ULONG>(life_.AddRef());
}

ULONG COPCEventSubscription::Release() {
  const LONG before = life_.Release();
  // A release beyond the last reference takes no pin away.
  if (before == 0) return 0;
  // The reference's own pin keeps the object while it leaves its server.
  if (before == 1) LeaveServer();
  Unpin();
  return static_cast<ULONG>(before - 1);
}

void COPCEventSubscription::LeaveServer() {
  bool unlisted = false;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    unlisted = !Removed() && server_.UnlistEventSubscription(this);
  }
  if (unlisted) ReleaseFromList();
  // A broadcast may still hold the subscription for a while; the client's
  // sink hears nothing more from now on.
  if (OPCEventConnectionContainer* container = Container()) container->Point().Disconnect();
}

void COPCEventSubscription::ReleaseFromList() {
  CallAECallback([this](CLumoAExCallback& callback) { return callback.RemoveEventSubscription(handle_); });
  Unpin();
}

void COPCEventSubscription::Unpin() {
  if (life_.Unpin()) delete this;
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
