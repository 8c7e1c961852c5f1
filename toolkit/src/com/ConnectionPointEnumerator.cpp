#include "com/ConnectionPointEnumerator.h"

#include "app/CallBoundary.h"
#include "com/ConnectionContainer.h"
#include "com/QueryOwnInterface.h"

#include <new>

namespace {
// The container has one point.
constexpr size_t kPointCount = 1;
}  // namespace

ConnectionPointEnumerator::ConnectionPointEnumerator(ConnectionContainer& container, ULONG position)
    : container_(container), cursor_(position) {}

HRESULT ConnectionPointEnumerator::QueryInterface(REFIID riid, void** ppvObject) {
  return QueryOwnInterface(*this, IID_IEnumConnectionPoints, " IID_IEnumConnectionPoints",
                           container_.Kind().traces.enumeratorQuery, riid, ppvObject);
}

ULONG ConnectionPointEnumerator::AddRef() {
  const LONG count = ++references_;
  VorlixApp().TraceCount(container_.Kind().traces.enumeratorName, "AddRef", count);
  return container_.AddRef();
}

ULONG ConnectionPointEnumerator::Release() {
  const LONG count = --references_;
  VorlixApp().TraceCount(container_.Kind().traces.enumeratorName, "Release", count + 1);
  // The container may go with this release; nothing here touches it after.
  container_.Release();
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

HRESULT ConnectionPointEnumerator::Next(ULONG cConnections, LPCONNECTIONPOINT* ppCP, ULONG* pcFetched) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage(container_.Kind().traces.enumeratorNext);
    return cursor_.Next(cConnections, ppCP, pcFetched, kPointCount, [&](ULONG, ULONG) {
      // Asked for its own sink interface, the container always has the point.
      container_.FindConnectionPoint(*container_.Kind().sinkIid, &ppCP[0]);
      return true;
    });
  });
}

HRESULT ConnectionPointEnumerator::Skip(ULONG cConnections) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage(container_.Kind().traces.enumeratorSkip);
    return cursor_.Skip(cConnections, kPointCount);
  });
}

HRESULT ConnectionPointEnumerator::Reset() {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage(container_.Kind().traces.enumeratorReset);
    cursor_.Reset();
    return S_OK;
  });
}

HRESULT ConnectionPointEnumerator::Clone(IEnumConnectionPoints** ppEnum) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage(container_.Kind().traces.enumeratorClone);
    if (ppEnum == nullptr) return E_INVALIDARG;
    ConnectionPointEnumerator* clone = new (std::nothrow) ConnectionPointEnumerator(container_, cursor_.Position());
    *ppEnum = clone;
    if (clone == nullptr) return E_OUTOFMEMORY;
    clone->AddRef();
    return S_OK;
  });
}
