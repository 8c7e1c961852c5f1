#include "da/io/ItemValueArrays.h"

#include "da/group/OPCGroupItem.h"

ItemValueArrays::~ItemValueArrays() { Free(); }

bool ItemValueArrays::Fill(const std::vector<OPCGroupItem*>& items) {
  Free();
  const DWORD count = static_cast<DWORD>(items.size());
  clientHandles_ = TaskArray<OPCHANDLE>(count);
  values_ = TaskArray<VARIANT>(count);
  qualities_ = TaskArray<WORD>(count);
  timeStamps_ = TaskArray<FILETIME>(count);
  errors_ = TaskArray<HRESULT>(count);
  if (!clientHandles_ || !values_ || !qualities_ || !timeStamps_ || !errors_) {
    Free();
    return false;
  }
  count_ = count;
  masterQuality_ = S_OK;
  masterError_ = S_OK;
  for (DWORD i = 0; i < count; ++i) {
    const OPCGroupItem& item = *items[i];
    clientHandles_[i] = item.clientHandle;
    VariantInit(&values_[i]);
    qualities_[i] = OPC_QUALITY_BAD;
    timeStamps_[i] = FILETIME{0, 0};
    errors_[i] = item.ReadCached(&values_[i], &qualities_[i], &timeStamps_[i]);
    if (FAILED(errors_[i])) {
      VariantClear(&values_[i]);
      masterError_ = S_FALSE;
    }
    if (qualities_[i] != OPC_QUALITY_GOOD) masterQuality_ = S_FALSE;
  }
  return true;
}

void ItemValueArrays::Free() {
  if (values_) {
    // Plain values own nothing to free.
    for (DWORD i = 0; i < count_; ++i) {
      if (!VariantIsPlain(values_[i].vt)) VariantClear(&values_[i]);
    }
  }
  clientHandles_ = {};
  values_ = {};
  qualities_ = {};
  timeStamps_ = {};
  errors_ = {};
  count_ = 0;
}
