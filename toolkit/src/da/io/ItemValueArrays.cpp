#include "da/io/ItemValueArrays.h"

#include "app/CVorlixApp.h"
#include "com/PerItemCall.h"
#include "da/group/OPCGroupItem.h"

ItemValueArrays::~ItemValueArrays() { Free(); }

bool ItemValueArrays::Fill(const std::vector<OPCGroupItem*>& items) {
  Free();
  const DWORD count = static_cast<DWORD>(items.size());
  clientHandles_ = AllocPerItem<OPCHANDLE>(count);
  values_ = AllocPerItem<VARIANT>(count);
  qualities_ = AllocPerItem<WORD>(count);
  timeStamps_ = AllocPerItem<FILETIME>(count);
  errors_ = AllocPerItem<HRESULT>(count);
  if (clientHandles_ == nullptr || values_ == nullptr || qualities_ == nullptr || timeStamps_ == nullptr ||
      errors_ == nullptr) {
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
  CVorlixApp& app = VorlixApp();
  if (values_ != nullptr) {
    for (DWORD i = 0; i < count_; ++i) VariantClear(&values_[i]);
  }
  app.TaskFree(clientHandles_, TRUE);
  app.TaskFree(values_, TRUE);
  app.TaskFree(qualities_, TRUE);
  app.TaskFree(timeStamps_, TRUE);
  app.TaskFree(errors_, TRUE);
  clientHandles_ = nullptr;
  values_ = nullptr;
  qualities_ = nullptr;
  timeStamps_ = nullptr;
  errors_ = nullptr;
  count_ = 0;
}
