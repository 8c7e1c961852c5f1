#include "com/ConnectionEnumerator.h"

#include "app/CallBoundary.h"
#include "com/QueryOwnInterface.h"

#include <new>

ConnectionEnumerator::ConnectionEnumerator(const std::vector<CONNECTDATA>& connections, ULONG position)
    : connections_(connections), cursor_(position) {
  for (const CONNECTDATA& connection : connections_) connection.pUnk->AddRef();
}

ConnectionEnumerator::~ConnectionEnumerator() {
  for (const CONNECTDATA& connection : connections_) connection.pUnk->Release();
}

HRESULT ConnectionEnumerator::QueryInterface(REFIID riid, void** ppvObject) {
  return QueryOwnInterface(*this, IID_IEnumConnections, nullptr, nullptr, riid, ppvObject);
}

ULONG ConnectionEnumerator::AddRef() { return static_cast<ULONG>(++references_); }

ULONG ConnectionEnumerator::Release() {
  const LONG count = --references_;
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

HRESULT ConnectionEnumerator::Next(ULONG cConnections, LPCONNECTDATA rgcd, ULONG* pcFetched) {
  return AnswerComCall([&]() -> HRESULT {
    return cursor_.Next(cConnections, rgcd, pcFetched, connections_.size(), [&](ULONG first, ULONG count) {
      for (ULONG i = 0; i < count; ++i) {
        rgcd[i] = connections_[first + i];
        rgcd[i].pUnk->AddRef();
      }
      return true;
    });
  });
}

HRESULT ConnectionEnumerator::Skip(ULONG cConnections) { return cursor_.Skip(cConnections, connections_.size()); }

HRESULT ConnectionEnumerator::Reset() {
  return AnswerComCall([&]() -> HRESULT {
    cursor_.Reset();
    return S_OK;
  });
}

HRESULT ConnectionEnumerator::Clone(IEnumConnections** ppEnum) {
  return AnswerComCall([&]() -> HRESULT {
    if (ppEnum == nullptr) return E_INVALIDARG;
    ConnectionEnumerator* clone = new (std::nothrow) ConnectionEnumerator(connections_, cursor_.Position());
    *ppEnum = clone;
    if (clone == nullptr) return E_OUTOFMEMORY;
    clone->AddRef();
    return S_OK;
  });
}
