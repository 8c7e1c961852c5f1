#include "da/group/IOPCItemEnumerator.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "app/TaskArray.h"
#include "platform/opcguid.h"

#include <new>

namespace {

// Frees the strings of the first `count` elements.
void FreeAttributeTexts(const TaskArray<OPCITEMATTRIBUTES>& elements, ULONG count) {
  const CVorlixApp& app = VorlixApp();
  for (ULONG i = 0; i < count; ++i) {
    app.TaskFree(elements[i].szAccessPath, TRUE);
    app.TaskFree(elements[i].szItemID, TRUE);
  }
}

}  // namespace

IOPCItemEnumerator::IOPCItemEnumerator(std::vector<std::unique_ptr<OPCGroupItem>> items, ULONG position)
    : SnapshotEnumerator("IOPCItemEnumerator", IID_IEnumOPCItemAttributes, " IID_IEnumOPCItemAttributes",
                         std::move(items), position) {}

HRESULT IOPCItemEnumerator::Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) {
  return AnswerComCall([&]() -> HRESULT {
    Trace("::Next");
    ClearOutPointers(ppItemArray);
    if (Snapshot().empty()) {
      if (pceltFetched != nullptr) *pceltFetched = 0;
      return S_FALSE;
    }
    // The array is ours to allocate: the caller gives only where it goes.
    if (ppItemArray == nullptr) return E_POINTER;
    return HandOutNext(celt, ppItemArray, pceltFetched, [&](const std::unique_ptr<OPCGroupItem>* items, ULONG count) {
      TaskArray<OPCITEMATTRIBUTES> elements(count);
      if (!elements) return false;
      for (ULONG i = 0; i < count; ++i) {
        if (!items[i]->FillAttributes(&elements[i], TRUE)) {
          FreeAttributeTexts(elements, i);
          return false;
        }
      }
      *ppItemArray = elements.Release();
      return true;
    });
  });
}

IOPCItemEnumerator::SnapshotEnumerator* IOPCItemEnumerator::MakeClone(ULONG position) const {
  return new (std::nothrow) IOPCItemEnumerator(OPCGroupItem::CopyAll(Snapshot()), position);
}
