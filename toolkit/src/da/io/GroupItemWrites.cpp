#include "da/io/GroupItemWrites.h"

#include "app/CVorlixApp.h"
#include "da/group/OPCGroup.h"

namespace {

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

GroupItemWrites::Pending::Pending() {
  VariantInit(&value);
  VariantInit(&previousValue);
}

GroupItemWrites::Pending::~Pending() {
  VariantClear(&value);
  VariantClear(&previousValue);
}

HRESULT GroupItemWrites::Check(OPCGroupItem& item, const VARIANT& value) {
  Pending& write = writes_.emplace_back();
  write.checked = VariantCopy(&write.value, &value);
  if (SUCCEEDED(write.checked)) write.checked = VariantCopy(&write.previousValue, &item.value);
  if (FAILED(write.checked)) return write.checked;
  write.serverHandle = item.serverHandle;
  write.tagName = item.FullName();
  write.userName = item.UserName();
  write.previousQuality = item.quality;
  write.previousChanged = item.changed;
  write.timestamp = item.timestamp;
  write.checked = item.CheckWrite(&write.value);
  return write.checked;
}

std::vector<HRESULT> GroupItemWrites::Perform() {
  std::vector<HRESULT> results;
  results.reserve(writes_.size());
  for (Pending& write : writes_) {
    HRESULT result = write.checked;
    if (result == S_OK) {
      result = VorlixApp().ClientWrite(write.userName.c_str(), write.tagName, &write.value);
      if (result != S_OK) Undo(write);
    }
    results.push_back(result);
  }
  return results;
}

void GroupItemWrites::Undo(const Pending& write) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  OPCGroupItem* item = group_.FindItem(write.serverHandle);
  if (item == nullptr || !SameTime(item->timestamp, write.timestamp)) return;
  if (FAILED(VariantCopy(&item->value, &write.previousValue))) return;
  item->quality = write.previousQuality;
  item->changed = write.previousChanged;
}
