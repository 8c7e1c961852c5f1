// 32-bit handles for objects whose handle the target platform takes from the
// object's address (tag handles, group and item server handles, event
// subscriptions). A handle is never 0 or 0xFFFFFFFF, is not reused while its
// object is listed, and is issued again only after all other 32-bit values have
// been, so a stale handle finds nothing. Looking up an unknown or removed handle
// gives null. All calls are thread-safe; keeping a looked-up object alive is the
// caller's business (its own lock, usually).
#pragma once

#include "platform/wintypes.h"

#include <mutex>
#include <unordered_map>

class HandleTableBase {
 public:
  // Handles are issued from `lastIssued` + 1 on; tests start near the end of the range.
  explicit HandleTableBase(DWORD lastIssued = 0) : lastIssued_(lastIssued) {}

  // A new handle for a non-null object; 0 for a null object.
  DWORD Add(void* object);
  void* Lookup(DWORD handle) const;
  // Unlists the handle; its object, or null when it was not listed.
  void* Remove(DWORD handle);
  size_t Count() const;

 private:
  mutable std::mutex mutex_;
  std::unordered_map<DWORD, void*> objects_;
  DWORD lastIssued_;
};

template <class T>
class HandleTable {
 public:
  explicit HandleTable(DWORD lastIssued = 0) : table_(lastIssued) {}

  DWORD Add(T* object) { return table_.Add(object); }
  T* Lookup(DWORD handle) const { return static_cast<T*>(table_.Lookup(handle)); }
  T* Remove(DWORD handle) { return static_cast<T*>(table_.Remove(handle)); }
  size_t Count() const { return table_.Count(); }

 private:
  HandleTableBase table_;
};
