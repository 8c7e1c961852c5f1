#include "OPCGroupEnumerator.h"

#include "platform/guid.h"

#include <new>

OPCGroupEnumerator::OPCGroupEnumerator(IUnknown* owner, std::vector<IUnknown*> groups)
    : SnapshotEnumerator("OPCGroupEnumerator", IID_IEnumUnknown, " IID_IEnumUnknown", std::move(groups), owner) {}

OPCGroupEnumerator::~OPCGroupEnumerator() {
  for (IUnknown* group : Snapshot()) group->Release();
}

HRESULT OPCGroupEnumerator::Next(ULONG celt, IUnknown** rgelt, ULONG* pceltFetched) {
  Trace("::Next");
  if (Snapshot().empty()) {
    if (pceltFetched != nullptr) *pceltFetched = 0;
    return S_FALSE;
  }
  if ((pceltFetched == nullptr && celt != 1) || (rgelt == nullptr && celt != 0)) return E_POINTER;
  return HandOutNext(celt, pceltFetched, [&](IUnknown* const* groups, ULONG count) {
    for (ULONG i = 0; i < count; ++i) {
      rgelt[i] = groups[i];
      rgelt[i]->AddRef();
    }
    return S_OK;
  });
}

OPCGroupEnumerator::SnapshotEnumerator* OPCGroupEnumerator::MakeClone() const {
  OPCGroupEnumerator* clone = new (std::nothrow) OPCGroupEnumerator(Owner(), Snapshot());
  if (clone != nullptr) {
    for (IUnknown* group : Snapshot()) group->AddRef();
  }
  return clone;
}
