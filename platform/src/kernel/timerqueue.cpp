#include "platform/timerqueue.h"

#include "platform/threads.h"

namespace {

using Clock = std::chrono::steady_clock;

class QueueTimer final : public KernelObject {
 public:
  QueueTimer(WAITORTIMERCALLBACK callback, PVOID parameter) : callback_(callback), parameter_(parameter) {}

  // Arms the timer and starts its thread, which holds a reference until it ends.
  bool Start(DWORD dueTime, DWORD period) {
    Change(dueTime, period);
    AddRef();
    thread_ = CreateThread(nullptr, 0, &QueueTimer::Run, this, 0, &threadId_);
    if (thread_ == nullptr) {
      Release();
      return false;
    }
    return true;
  }

  void Change(DWORD dueTime, DWORD period) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      next_ = Clock::now() + std::chrono::milliseconds(dueTime);
      period_ = std::chrono::milliseconds(period);
      armed_ = true;
      ++changes_;
    }
    changed_.notify_all();
  }

  // Stops the timer; whether it waited for (or did not find) a running callback.
  bool Stop(bool wait) {
    bool callbackRunning;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      stopping_ = true;
      callbackRunning = callbackRunning_;
    }
    changed_.notify_all();
    if (wait && GetCurrentThreadId() != threadId_) {
      WaitForSingleObject(thread_, INFINITE);
      // Once the thread has ended, closing its last handle joins it.
      CloseHandle(thread_);
      return true;
    }
    CloseHandle(thread_);
    return !callbackRunning;
  }

 private:
  static DWORD Run(LPVOID parameter) {
    QueueTimer* timer = static_cast<QueueTimer*>(parameter);
    timer->Loop();
    timer->Release();
    return 0;
  }

  void Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
      if (!armed_) {
        changed_.wait(lock, [this] { return stopping_ || armed_; });
        continue;
      }
      const ULONGLONG seen = changes_;
      const Clock::time_point due = next_;
      // A change or a stop wakes the wait early and starts the loop over.
      if (changed_.wait_until(lock, due, [&] { return stopping_ || changes_ != seen; })) continue;
      armed_ = period_ != Clock::duration::zero();
      next_ = due + period_;
      // A timer that fell behind by more than a period skips the missed callbacks.
      const Clock::time_point now = Clock::now();
      if (next_ < now) next_ = now + period_;
      callbackRunning_ = true;
      lock.unlock();
      callback_(parameter_, TRUE);
      lock.lock();
      callbackRunning_ = false;
    }
  }

  const WAITORTIMERCALLBACK callback_;
  const PVOID parameter_;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  Clock::time_point next_;
  Clock::duration period_{};
  bool armed_ = false;
  bool stopping_ = false;
  bool callbackRunning_ = false;
  ULONGLONG changes_ = 0;
};

// The timer a handle names in the default queue, or an empty reference with the last error set.
KernelRef<QueueTimer> TimerOf(HANDLE timerQueue, HANDLE timer) {
  if (timerQueue != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return KernelRef<QueueTimer>();
  }
  return ReferenceHandleAs<QueueTimer>(timer);
}

}  // namespace

BOOL CreateTimerQueueTimer(PHANDLE newTimer, HANDLE timerQueue, WAITORTIMERCALLBACK callback, PVOID parameter,
                           DWORD dueTime, DWORD period, ULONG flags) {
  if (newTimer == nullptr || timerQueue != nullptr || callback == nullptr || flags != WT_EXECUTEDEFAULT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const KernelRef<QueueTimer> timer(new QueueTimer(callback, parameter));
  if (!timer->Start(dueTime, period)) return FALSE;
  *newTimer = timer->NewHandle();
  return TRUE;
}

BOOL ChangeTimerQueueTimer(HANDLE timerQueue, HANDLE timer, ULONG dueTime, ULONG period) {
  const KernelRef<QueueTimer> t = TimerOf(timerQueue, timer);
  if (!t) return FALSE;
  t->Change(dueTime, period);
  return TRUE;
}

BOOL DeleteTimerQueueTimer(HANDLE timerQueue, HANDLE timer, HANDLE completionEvent) {
  if (completionEvent != nullptr && completionEvent != INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const KernelRef<QueueTimer> t = TimerOf(timerQueue, timer);
  if (!t || !CloseHandle(timer)) return FALSE;
  if (t->Stop(completionEvent == INVALID_HANDLE_VALUE)) return TRUE;
  SetLastError(ERROR_IO_PENDING);
  return FALSE;
}
