#include "com/ConnectionContainer.h"

#include "app/CallBoundary.h"
#include "com/ConnectionPointEnumerator.h"
#include "com/QueryOwnInterface.h"

#include <new>

ConnectionContainer::ConnectionContainer(IUnknown& owner, const ConnectionPointKind& kind)
    : InterfaceHolder(owner, kind.traces.containerName, kind.traces.ownerName), kind_(kind), point_(*this, kind) {}

HRESULT ConnectionContainer::RefuseNullOutPointer(const char* text) const {
  VorlixApp().TraceMessage(text, kind_.nullOutPointer == E_POINTER ? " E_POINTER" : " E_INVALIDARG");
  return kind_.nullOutPointer;
}

HRESULT ConnectionContainer::QueryInterface(REFIID riid, void** ppvObject) {
  return QueryOwnInterface(*this, IID_IConnectionPointContainer, " IID_IConnectionPointContainer",
                           kind_.traces.containerQuery, riid, ppvObject);
}

HRESULT ConnectionContainer::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
  return AnswerComCall([&]() -> HRESULT {
    if (ppEnum == nullptr) return RefuseNullOutPointer(kind_.traces.enumConnectionPoints);
    ConnectionPointEnumerator* enumerator = new (std::nothrow) ConnectionPointEnumerator(*this);
    *ppEnum = enumerator;
    if (enumerator == nullptr) {
      VorlixApp().TraceMessage(kind_.traces.enumConnectionPoints, " E_OUTOFMEMORY");
      return E_OUTOFMEMORY;
    }
    enumerator->AddRef();
    VorlixApp().TraceMessage(kind_.traces.enumConnectionPoints, " S_OK");
    return S_OK;
  });
}

HRESULT ConnectionContainer::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  return AnswerComCall([&]() -> HRESULT {
    if (ppCP == nullptr) return RefuseNullOutPointer(kind_.traces.findConnectionPoint);
    if (riid != *kind_.sinkIid) {
      *ppCP = nullptr;
      VorlixApp().TraceMessage(kind_.traces.findConnectionPoint, " E_NOINTERFACE");
      return E_NOINTERFACE;
    }
    VorlixApp().TraceMessage(kind_.traces.findConnectionPoint, kind_.traces.sinkName);
    point_.AddRef();
    *ppCP = &point_;
    return S_OK;
  });
}
