#include "da/server/OPCGroupEnumerator.h"

#include "app/CallBoundary.h"

#include <new>

OPCGroupEnumerator::OPCGroupEnumerator(IUnknown* owner, std::vector<IUnknown*> groups, ULONG position)
    : SnapshotEnumerator("OPCGroupEnumerator", IID_IEnumUnknown, " IID_IEnumUnknown", std::move(groups), position,
                         owner) {}

OPCGroupEnumerator::~OPCGroupEnumerator() {
  for (IUnknown* group : Snapshot()) group->Release();
}

HRESULT OPCGroupEnumerator::Next(ULONG celt, IUnknown** rgelt, ULONG* pceltFetched) {
  return AnswerComCall([&]() -> HRESULT {
    Trace("::Next");
    if (Snapshot().empty()) {
      if (pceltFetched != nullptr) *pceltFetched = 0;
      return S_FALSE;
    }
    return HandOutNext(celt, rgelt, pceltFetched, [&](IUnknown* const* groups, ULONG count) {
      for (ULONG i = 0; i < count; ++i) {
        rgelt[i] = groups[i];
        rgelt[i]->AddRef();
      }
      return true;
    });
  });
}

OPCGroupEnumerator::SnapshotEnumerator* OPCGroupEnumerator::MakeClone(ULONG position) const {
  OPCGroupEnumerator* clone = new (std::nothrow) OPCGroupEnumerator(Owner(), Snapshot(), position);
  if (clone != nullptr) {
    for (IUnknown* group : Snapshot()) group->AddRef();
  }
  return clone;
}
