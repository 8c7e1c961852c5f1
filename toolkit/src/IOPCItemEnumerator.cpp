#include "IOPCItemEnumerator.h"

#include "platform/opcguid.h"

#include <new>

namespace {

// Frees the strings of the first `count` elements and the array.
void FreeAttributes(OPCITEMATTRIBUTES* elements, ULONG count) {
  const CVorlixApp& app = VorlixApp();
  for (ULONG i = 0; i < count; ++i) {
    app.TaskFree(elements[i].szAccessPath, TRUE);
    app.TaskFree(elements[i].szItemID, TRUE);
  }
  app.TaskFree(elements, TRUE);
}

}  // namespace

IOPCItemEnumerator::IOPCItemEnumerator(std::vector<std::unique_ptr<OPCGroupItem>> items)
    : SnapshotEnumerator("IOPCItemEnumerator", IID_IEnumOPCItemAttributes, " IID_IEnumOPCItemAttributes",
                         std::move(items)) {}

HRESULT IOPCItemEnumerator::Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) {
  Trace("::Next");
  if (ppItemArray != nullptr) *ppItemArray = nullptr;
  if (Snapshot().empty()) {
    if (pceltFetched != nullptr) *pceltFetched = 0;
    return S_FALSE;
  }
  if ((pceltFetched == nullptr && celt != 1) || ppItemArray == nullptr) return E_POINTER;
  return HandOutNext(celt, pceltFetched, [&](const std::unique_ptr<OPCGroupItem>* items, ULONG count) {
    if (count == 0) return S_OK;
    auto* elements = static_cast<OPCITEMATTRIBUTES*>(VorlixApp().TaskAlloc(count * sizeof(OPCITEMATTRIBUTES)));
    if (elements == nullptr) return E_OUTOFMEMORY;
    for (ULONG i = 0; i < count; ++i) {
      if (!items[i]->FillAttributes(&elements[i], TRUE)) {
        FreeAttributes(elements, i);
        return E_OUTOFMEMORY;
      }
    }
    *ppItemArray = elements;
    return S_OK;
  });
}

IOPCItemEnumerator::SnapshotEnumerator* IOPCItemEnumerator::MakeClone() const {
  return new (std::nothrow) IOPCItemEnumerator(OPCGroupItem::CopyAll(Snapshot()));
}
