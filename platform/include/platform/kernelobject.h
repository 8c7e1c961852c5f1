// Kernel objects (events, threads, and later tokens): reference-counted objects
// that callers reach through HANDLEs. A handle is the object's address, listed
// while it is open; every open handle holds one reference, so the object lives
// until its last handle is closed and its last internal user (a running thread,
// say) lets go. Calls look a handle up before use: a handle that is not open, or
// names an object of another kind, fails with ERROR_INVALID_HANDLE.
#pragma once

#include "platform/hresult.h"
#include "platform/lasterror.h"
#include "platform/wintypes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// Accepted where the target platform takes it; handles are never inherited here
// and the descriptor is not consulted.
struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

class KernelObject {
 public:
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;

  void AddRef();
  void Release();

  // Opens a new handle to this object; it holds a reference until CloseHandle.
  HANDLE NewHandle();

  // Waits until the object is signalled: WAIT_OBJECT_0, WAIT_TIMEOUT, or
  // WAIT_FAILED for kinds that cannot be waited on.
  virtual DWORD Wait(DWORD milliseconds);

 protected:
  KernelObject() = default;
  virtual ~KernelObject() = default;

  // Waits on `condition` (with `lock` held) until `done` holds or the time is up;
  // whether `done` holds at the end.
  template <class Predicate>
  static bool WaitFor(std::condition_variable& condition, std::unique_lock<std::mutex>& lock, DWORD milliseconds,
                      Predicate done) {
    if (milliseconds == INFINITE) {
      condition.wait(lock, done);
      return true;
    }
    return condition.wait_for(lock, std::chrono::milliseconds(milliseconds), done);
  }

 private:
  std::atomic<LONG> references_{0};
};

// A counted reference to a kernel object of kind T.
template <class T>
class KernelRef {
 public:
  KernelRef() = default;
  explicit KernelRef(T* object) : object_(object) {
    if (object_ != nullptr) object_->AddRef();
  }
  KernelRef(const KernelRef& other) : KernelRef(other.object_) {}
  KernelRef& operator=(KernelRef other) {
    std::swap(object_, other.object_);
    return *this;
  }
  ~KernelRef() {
    if (object_ != nullptr) object_->Release();
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

// The object behind an open handle, or an empty reference (with last error
// ERROR_INVALID_HANDLE) when the handle is not open.
KernelRef<KernelObject> ReferenceHandle(HANDLE handle);

// The same for a handle that must name an object of kind T.
template <class T>
KernelRef<T> ReferenceHandleAs(HANDLE handle);

// Closes one handle: TRUE, or FALSE with ERROR_INVALID_HANDLE when it is not open.
// The pseudo handle of GetCurrentThread needs no closing; closing it does nothing.
BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

template <class T>
KernelRef<T> ReferenceHandleAs(HANDLE handle) {
  const KernelRef<KernelObject> object = ReferenceHandle(handle);
  T* typed = dynamic_cast<T*>(object.get());
  if (object && typed == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return KernelRef<T>(typed);
}
