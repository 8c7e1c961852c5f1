#include "platform/event.h"

#include <list>

namespace {

// Waiters queue in arrival order; a release takes them out of the queue and
// marks them, so a wake-up is never lost to a time-out and never stolen by a
// thread that arrives later.
class Event final : public KernelObject {
 public:
  Event(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}

  void Set() {
    std::lock_guard<std::mutex> guard(mutex_);
    ++generation_;
    const bool released = ReleaseWaiters();
    // An auto-reset event that released a waiter is reset again by that release.
    signalled_ = manualReset_ || !released;
  }

  void Reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    signalled_ = false;
  }

  void Pulse() {
    std::lock_guard<std::mutex> guard(mutex_);
    ++generation_;
    ReleaseWaiters();
    signalled_ = false;
  }

  ULONGLONG Generation() {
    std::lock_guard<std::mutex> guard(mutex_);
    return generation_;
  }

  LONG WaiterCount() {
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<LONG>(waiters_.size());
  }

  DWORD Wait(DWORD milliseconds) override {
    std::unique_lock<std::mutex> lock(mutex_);
    return WaitLocked(lock, milliseconds);
  }

  DWORD WaitAfter(ULONGLONG generation, DWORD milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (generation_ > generation) {
      if (!manualReset_) signalled_ = false;
      return WAIT_OBJECT_0;
    }
    return WaitLocked(lock, milliseconds);
  }

 private:
  struct Waiter {
    bool released = false;
  };

  // Releases every waiter (manual reset) or the first (auto reset); whether any
  // was waiting. Called with the mutex held.
  bool ReleaseWaiters() {
    if (waiters_.empty()) return false;
    do {
      waiters_.front()->released = true;
      waiters_.pop_front();
    } while (manualReset_ && !waiters_.empty());
    releasedCondition_.notify_all();
    return true;
  }

  DWORD WaitLocked(std::unique_lock<std::mutex>& lock, DWORD milliseconds) {
    if (signalled_) {
      if (!manualReset_) signalled_ = false;
      return WAIT_OBJECT_0;
    }
    if (milliseconds == 0) return WAIT_TIMEOUT;
    Waiter self;
    const auto place = waiters_.insert(waiters_.end(), &self);
    if (WaitFor(releasedCondition_, lock, milliseconds, [&self] { return self.released; })) return WAIT_OBJECT_0;
    waiters_.erase(place);
    return WAIT_TIMEOUT;
  }

  std::mutex mutex_;
  std::condition_variable releasedCondition_;
  std::list<Waiter*> waiters_;
  const bool manualReset_;
  bool signalled_;
  ULONGLONG generation_ = 0;
};

KernelRef<Event> EventOf(HANDLE handle) { return ReferenceHandleAs<Event>(handle); }

// Runs an action on the event a handle names: TRUE, or FALSE when it names none.
template <class Action>
BOOL WithEvent(HANDLE handle, Action action) {
  const KernelRef<Event> event = EventOf(handle);
  if (!event) return FALSE;
  action(*event);
  return TRUE;
}

}  // namespace

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
  if (name != nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  const KernelRef<Event> event(new Event(manualReset != FALSE, initialState != FALSE));
  return event->NewHandle();
}

BOOL SetEvent(HANDLE event) {
  return WithEvent(event, [](Event& e) { e.Set(); });
}

BOOL ResetEvent(HANDLE event) {
  return WithEvent(event, [](Event& e) { e.Reset(); });
}

BOOL PulseEvent(HANDLE event) {
  return WithEvent(event, [](Event& e) { e.Pulse(); });
}

ULONGLONG GetEventGeneration(HANDLE event) {
  const KernelRef<Event> e = EventOf(event);
  return e ? e->Generation() : 0;
}

DWORD WaitForEventAfter(HANDLE event, ULONGLONG generation, DWORD milliseconds) {
  const KernelRef<Event> e = EventOf(event);
  return e ? e->WaitAfter(generation, milliseconds) : WAIT_FAILED;
}

LONG GetEventWaiterCount(HANDLE event) {
  const KernelRef<Event> e = EventOf(event);
  return e ? e->WaiterCount() : -1;
}
