#include "platform/handletable.h"

namespace {

bool IsReserved(DWORD handle) { return handle == 0 || handle == 0xFFFFFFFF; }

}  // namespace

DWORD HandleTableBase::Add(void* object, const void* kind) {
  if (object == nullptr) return 0;
  std::lock_guard<std::mutex> guard(mutex_);
  // Handles count up, so a removed one comes back only after the counter has
  // gone round all 32-bit values; listed ones are stepped over then.
  do {
    ++lastIssued_;
  } while (IsReserved(lastIssued_) || objects_.count(lastIssued_) != 0);
  objects_[lastIssued_] = Entry{object, kind};
  return lastIssued_;
}

void* HandleTableBase::Lookup(DWORD handle, const void* kind) const {
  std::lock_guard<std::mutex> guard(mutex_);
  const auto entry = objects_.find(handle);
  return entry == objects_.end() || entry->second.kind != kind ? nullptr : entry->second.object;
}

void* HandleTableBase::Remove(DWORD handle, const void* kind) {
  std::lock_guard<std::mutex> guard(mutex_);
  const auto entry = objects_.find(handle);
  if (entry == objects_.end() || entry->second.kind != kind) return nullptr;
  void* object = entry->second.object;
  objects_.erase(entry);
  return object;
}

size_t HandleTableBase::Count() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return objects_.size();
}

HandleTableBase& ProcessHandleTable() {
  static HandleTableBase* const table = new HandleTableBase;
  return *table;
}
