#include "platform/threads.h"

#include "kernel/allocationfaults.h"

#include <exception>
#include <thread>

namespace {

std::atomic<DWORD> lastThreadId{0};
thread_local DWORD currentThreadId = 0;
AllocationFaults threadFaults;

DWORD NewThreadId() { return ++lastThreadId; }

// One thread started by CreateThread. While it runs it holds a reference to
// itself, so the object outlives a handle closed early.
class Thread final : public KernelObject {
 public:
  Thread(LPTHREAD_START_ROUTINE startAddress, LPVOID parameter)
      : startAddress_(startAddress), parameter_(parameter), id_(NewThreadId()) {}

  ~Thread() override {
    // The last reference goes either on the thread itself, as it ends, or on a
    // thread that closed the handle after this one ended.
    if (thread_.get_id() == std::this_thread::get_id()) {
      thread_.detach();
    } else if (thread_.joinable()) {
      thread_.join();
    }
  }

  bool Start() {
    if (threadFaults.ShouldFail()) return false;
    AddRef();
    try {
      thread_ = std::thread(&Thread::Run, this);
    } catch (const std::exception&) {
      Release();
      return false;
    }
    return true;
  }

  DWORD Id() const { return id_; }

  DWORD ExitCode() {
    std::lock_guard<std::mutex> guard(mutex_);
    return exitCode_;
  }

  DWORD Wait(DWORD milliseconds) override {
    std::unique_lock<std::mutex> lock(mutex_);
    return WaitFor(endedCondition_, lock, milliseconds, [this] { return ended_; }) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }

 private:
  void Run() {
    currentThreadId = id_;
    const DWORD exitCode = startAddress_(parameter_);
    {
      std::lock_guard<std::mutex> guard(mutex_);
      exitCode_ = exitCode;
      ended_ = true;
    }
    endedCondition_.notify_all();
    Release();
  }

  const LPTHREAD_START_ROUTINE startAddress_;
  const LPVOID parameter_;
  const DWORD id_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable endedCondition_;
  bool ended_ = false;
  DWORD exitCode_ = STILL_ACTIVE;
};

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE startAddress, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId) {
  if (startAddress == nullptr || creationFlags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const KernelRef<Thread> thread(new Thread(startAddress, parameter));
  if (!thread->Start()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (threadId != nullptr) *threadId = thread->Id();
  return thread->NewHandle();
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
  const KernelRef<Thread> t = ReferenceHandleAs<Thread>(thread);
  if (!t) return FALSE;
  *exitCode = t->ExitCode();
  return TRUE;
}

DWORD GetCurrentThreadId() {
  if (currentThreadId == 0) currentThreadId = NewThreadId();
  return currentThreadId;
}

HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2)); }

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void ThreadFailNextCreations(ULONG count) { threadFaults.FailNext(count); }
