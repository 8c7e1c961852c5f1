#include "platform/kernelobject.h"

#include "platform/threads.h"

#include <unordered_map>

namespace {

// The open handles, each with its object and the number of times it was opened.
class OpenHandles {
 public:
  void Open(KernelObject* object) {
    std::lock_guard<std::mutex> guard(mutex_);
    Entry& entry = entries_[static_cast<HANDLE>(object)];
    entry.object = object;
    ++entry.opens;
  }

  KernelRef<KernelObject> Find(HANDLE handle) {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto entry = entries_.find(handle);
    if (entry == entries_.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return KernelRef<KernelObject>();
    }
    // The handle's own reference keeps the object alive while it is listed.
    return KernelRef<KernelObject>(entry->second.object);
  }

  // The object whose handle was closed, or null when the handle was not open.
  KernelObject* Close(HANDLE handle) {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto entry = entries_.find(handle);
    if (entry == entries_.end()) return nullptr;
    KernelObject* object = entry->second.object;
    if (--entry->second.opens == 0) entries_.erase(entry);
    return object;
  }

 private:
  struct Entry {
    KernelObject* object = nullptr;
    LONG opens = 0;
  };
  std::mutex mutex_;
  std::unordered_map<HANDLE, Entry> entries_;
};

// Never destroyed: handles may still be closed by static destructors at exit.
OpenHandles& Handles() {
  static OpenHandles* handles = new OpenHandles;
  return *handles;
}

}  // namespace

void KernelObject::AddRef() { references_.fetch_add(1, std::memory_order_relaxed); }

void KernelObject::Release() {
  if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

HANDLE KernelObject::NewHandle() {
  AddRef();
  Handles().Open(this);
  return static_cast<HANDLE>(this);
}

DWORD KernelObject::Wait(DWORD) {
  SetLastError(ERROR_INVALID_HANDLE);
  return WAIT_FAILED;
}

KernelRef<KernelObject> ReferenceHandle(HANDLE handle) { return Handles().Find(handle); }

BOOL CloseHandle(HANDLE handle) {
  if (handle == GetCurrentThread()) return TRUE;
  KernelObject* object = Handles().Close(handle);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  object->Release();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  const KernelRef<KernelObject> object = ReferenceHandle(handle);
  return object ? object->Wait(milliseconds) : WAIT_FAILED;
}
