#include "com/ConnectionPoint.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "com/ConnectionContainer.h"
#include "com/ConnectionEnumerator.h"
#include "com/InterfaceHolder.h"
#include "com/QueryOwnInterface.h"

#include <new>
#include <utility>
#include <vector>

ConnectionPoint::ConnectionPoint(ConnectionContainer& container, const ConnectionPointKind& kind)
    : container_(container),
      kind_(kind),
      addRefTrace_(DeferredCallTrace(kind.traces.pointName, "AddRef", kind.traces.containerName)),
      releaseTrace_(DeferredCallTrace(kind.traces.pointName, "Release", kind.traces.containerName)) {}

ConnectionPoint::~ConnectionPoint() {
  if (sink_ != nullptr) sink_->Release();
}

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** ppvObject) {
  return QueryOwnInterface(*this, IID_IConnectionPoint, " IID_IConnectionPoint", kind_.traces.pointQuery, riid,
                           ppvObject);
}

ULONG ConnectionPoint::AddRef() {
  VorlixApp().TraceMessage(addRefTrace_.c_str());
  return container_.AddRef();
}

ULONG ConnectionPoint::Release() {
  VorlixApp().TraceMessage(releaseTrace_.c_str());
  return container_.Release();
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* pIID) {
  return AnswerComCall([&]() -> HRESULT {
    if (pIID == nullptr) {
      VorlixApp().TraceMessage(kind_.traces.getConnectionInterface, " E_INVALIDARG");
      return E_INVALIDARG;
    }
    *pIID = *kind_.sinkIid;
    VorlixApp().TraceMessage(kind_.traces.getConnectionInterface, kind_.traces.getConnectionInterfaceDone);
    return S_OK;
  });
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  return AnswerComCall([&]() -> HRESULT {
    if (ppCPC == nullptr) {
      VorlixApp().TraceMessage(kind_.traces.getConnectionPointContainer, " E_INVALIDARG");
      return E_INVALIDARG;
    }
    container_.AddRef();
    *ppCPC = &container_;
    VorlixApp().TraceMessage(kind_.traces.getConnectionPointContainer);
    return S_OK;
  });
}

HRESULT ConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
  return AnswerComCall([&]() -> HRESULT {
    if (pUnkSink == nullptr || pdwCookie == nullptr) {
      ClearOutPointers(pdwCookie);
      VorlixApp().TraceMessage(kind_.traces.advise, " E_POINTER");
      return E_POINTER;
    }
    // Checked before the client's object is asked, and again when the answer is kept.
    if (Connected()) return RefuseSecondSink(pdwCookie);
    void* sink = nullptr;
    if (FAILED(pUnkSink->QueryInterface(*kind_.sinkIid, &sink)) || sink == nullptr) {
      *pdwCookie = 0;
      VorlixApp().TraceMessage(kind_.traces.advise, " CONNECT_E_CANNOTCONNECT");
      return CONNECT_E_CANNOTCONNECT;
    }
    IUnknown* const offered = static_cast<IUnknown*>(sink);
    bool kept = false;
    {
      std::lock_guard<std::mutex> guard(sinkLock_);
      if (sink_ == nullptr) {
        sink_ = offered;
        kept = true;
      }
    }
    if (!kept) {
      offered->Release();
      return RefuseSecondSink(pdwCookie);
    }
    *pdwCookie = kCookie;
    VorlixApp().TraceMessage(kind_.traces.advise, " S_OK");
    return S_OK;
  });
}

HRESULT ConnectionPoint::RefuseSecondSink(DWORD* pdwCookie) const {
  *pdwCookie = 0;
  VorlixApp().TraceMessage(kind_.traces.advise, kind_.traces.adviseLimit);
  return CONNECT_E_ADVISELIMIT;
}

HRESULT ConnectionPoint::Unadvise(DWORD dwCookie) {
  return AnswerComCall([&]() -> HRESULT {
    IUnknown* released = dwCookie == kCookie ? TakeSink() : nullptr;
    if (released == nullptr) {
      VorlixApp().TraceMessage(kind_.traces.unadviseFailed);
      return CONNECT_E_NOCONNECTION;
    }
    released->Release();
    VorlixApp().TraceMessage(kind_.traces.unadvised);
    return S_OK;
  });
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
  return AnswerComCall([&]() -> HRESULT {
    if (ppEnum == nullptr) {
      VorlixApp().TraceMessage(kind_.traces.enumConnections, " E_INVALIDARG");
      return E_INVALIDARG;
    }
    std::vector<CONNECTDATA> connections;
    if (IUnknown* sink = Sink()) connections.push_back({sink, kCookie});
    ConnectionEnumerator* enumerator = new (std::nothrow) ConnectionEnumerator(connections);
    for (const CONNECTDATA& connection : connections) connection.pUnk->Release();
    *ppEnum = enumerator;
    if (enumerator == nullptr) {
      VorlixApp().TraceMessage(kind_.traces.enumConnections, " E_OUTOFMEMORY");
      return E_OUTOFMEMORY;
    }
    enumerator->AddRef();
    VorlixApp().TraceMessage(kind_.traces.enumConnections, " S_OK");
    return S_OK;
  });
}

IUnknown* ConnectionPoint::Sink() const {
  std::lock_guard<std::mutex> guard(sinkLock_);
  if (sink_ != nullptr) sink_->AddRef();
  return sink_;
}

void ConnectionPoint::Disconnect() {
  if (IUnknown* released = TakeSink()) released->Release();
}

IUnknown* ConnectionPoint::TakeSink() {
  IUnknown* taken = nullptr;
  std::lock_guard<std::mutex> guard(sinkLock_);
  std::swap(taken, sink_);
  return taken;
}

bool ConnectionPoint::Connected() const {
  std::lock_guard<std::mutex> guard(sinkLock_);
  return sink_ != nullptr;
}
