#include "platform/windowmessages.h"

#include "platform/hresult.h"
#include "platform/lasterror.h"
#include "platform/threads.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
  HWND window;
  UINT_PTR id;
  std::chrono::milliseconds period;
  TIMERPROC callback;
  Clock::time_point due;
};

// One thread's queue: posted messages in order, and the thread's timers.
struct MessageQueue {
  std::deque<MSG> posted;
  std::vector<Timer> timers;
  std::condition_variable changed;
};

struct Window {
  DWORD thread;
  WNDPROC procedure;
};

// Everything of every thread, under one lock: queues are few and short.
struct WindowSystem {
  std::mutex mutex;
  std::unordered_map<DWORD, std::shared_ptr<MessageQueue>> queues;
  std::map<std::string, WNDPROC> classes;
  std::unordered_map<HWND, Window> windows;
  uintptr_t lastWindow = 0x10000;
  UINT_PTR lastThreadTimer = 0;
};

WindowSystem& System() {
  static WindowSystem* system = new WindowSystem;  // lives as long as any thread may ask
  return *system;
}

std::string ClassKey(LPCSTR name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
  return key;
}

DWORD Milliseconds() {
  return static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
}

// A thread's queue ends with the thread, its timers and unread messages with
// it: a later thread given the same identifier starts with an empty one.
struct QueueOwner {
  DWORD thread = 0;
  ~QueueOwner() {
    if (thread == 0) return;
    WindowSystem& system = System();
    std::lock_guard<std::mutex> guard(system.mutex);
    system.queues.erase(thread);
  }
};
thread_local QueueOwner tQueueOwner;

// The thread's queue, made on first use; under the system's lock.
MessageQueue& QueueOf(WindowSystem& system, DWORD thread) {
  std::shared_ptr<MessageQueue>& queue = system.queues[thread];
  if (!queue) queue = std::make_shared<MessageQueue>();
  if (tQueueOwner.thread == 0 && thread == GetCurrentThreadId()) tQueueOwner.thread = thread;
  return *queue;
}

// The window's record, or NULL with ERROR_INVALID_WINDOW_HANDLE; under the system's lock.
const Window* FindWindowLocked(WindowSystem& system, HWND window) {
  const auto found = system.windows.find(window);
  if (found != system.windows.end()) return &found->second;
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

void Post(MessageQueue& queue, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  queue.posted.push_back(MSG{window, message, wParam, lParam, Milliseconds(), POINT{0, 0}});
  queue.changed.notify_all();
}

}  // namespace

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpszClassName == nullptr || windowClass->lpfnWndProc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WindowSystem& system = System();
  std::lock_guard<std::mutex> guard(system.mutex);
  if (!system.classes.emplace(ClassKey(windowClass->lpszClassName), windowClass->lpfnWndProc).second) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  return static_cast<ATOM>(0xC000 + system.classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  if (className == nullptr) return FALSE;
  WindowSystem& system = System();
  std::lock_guard<std::mutex> guard(system.mutex);
  if (system.classes.erase(ClassKey(className)) == 0) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return FALSE;
  }
  return TRUE;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) {
  if (className == nullptr) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  WindowSystem& system = System();
  std::lock_guard<std::mutex> guard(system.mutex);
  const auto found = system.classes.find(ClassKey(className));
  if (found == system.classes.end()) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  const DWORD thread = GetCurrentThreadId();
  QueueOf(system, thread);
  system.lastWindow += 4;
  const HWND window = reinterpret_cast<HWND>(system.lastWindow);
  system.windows.emplace(window, Window{thread, found->second});
  return window;
}

BOOL DestroyWindow(HWND window) {
  WindowSystem& system = System();
  std::lock_guard<std::mutex> guard(system.mutex);
  const Window* found = FindWindowLocked(system, window);
  if (found == nullptr) return FALSE;
  std::vector<Timer>& timers = QueueOf(system, found->thread).timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& timer) { return timer.window == window; }),
               timers.end());
  system.windows.erase(window);
  return TRUE;
}

BOOL ShowWindow(HWND, int) { return FALSE; }

BOOL UpdateWindow(HWND window) {
  WindowSystem& system = System();
  std::lock_guard<std::mutex> guard(system.mutex);
  return system.windows.count(window) != 0 ? TRUE : FALSE;
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

UINT_PTR SetTimer(HWND window, UINT_PTR timerId, UINT elapse, TIMERPROC callback) {
  WindowSystem& system = System();
  std::lock_guard<std::mutex> guard(system.mutex);
  DWORD thread = GetCurrentThreadId();
  if (window != nullptr) {
    const Window* found = FindWindowLocked(system, window);
    if (found == nullptr) return 0;
    thread = found->thread;
  } else {
    timerId = ++system.lastThreadTimer;
  }
  MessageQueue& queue = QueueOf(system, thread);
  const std::chrono::milliseconds period(std::max(elapse, USER_TIMER_MINIMUM));
  const Timer armed{window, timerId, period, callback, Clock::now() + period};
  const auto existing = std::find_if(queue.timers.begin(), queue.timers.end(), [&](const Timer& timer) {
    return timer.window == window && timer.id == timerId;
  });
  if (existing != queue.timers.end()) {
    *existing = armed;
  } else {
    queue.timers.push_back(armed);
  }
  queue.changed.notify_all();
  return window != nullptr ? 1 : timerId;
}

BOOL KillTimer(HWND window, UINT_PTR timerId) {
  WindowSystem& system = System();
  std::lock_guard<std::mutex> guard(system.mutex);
  DWORD thread = GetCurrentThreadId();
  if (window != nullptr) {
    const Window* found = FindWindowLocked(system, window);
    if (found == nullptr) return FALSE;
    thread = found->thread;
  }
  std::vector<Timer>& timers = QueueOf(system, thread).timers;
  const auto gone = std::remove_if(timers.begin(), timers.end(),
                                   [&](const Timer& timer) { return timer.window == window && timer.id == timerId; });
  if (gone == timers.end()) return FALSE;
  timers.erase(gone, timers.end());
  return TRUE;
}

BOOL GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  if (message == nullptr || window != nullptr || filterMin != 0 || filterMax != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  WindowSystem& system = System();
  std::unique_lock<std::mutex> lock(system.mutex);
  QueueOf(system, GetCurrentThreadId());
  // Held here: the queue lives as long as its thread may wait on it.
  const std::shared_ptr<MessageQueue> queue = system.queues[GetCurrentThreadId()];
  for (;;) {
    if (!queue->posted.empty()) {
      *message = queue->posted.front();
      queue->posted.pop_front();
      return message->message == WM_QUIT ? FALSE : TRUE;
    }
    const auto next = std::min_element(queue->timers.begin(), queue->timers.end(),
                                       [](const Timer& a, const Timer& b) { return a.due < b.due; });
    if (next == queue->timers.end()) {
      queue->changed.wait(lock);
      continue;
    }
    const Clock::time_point now = Clock::now();
    if (next->due <= now) {
      // One WM_TIMER however late the loop is: the next is a period from now.
      next->due = now + next->period;
      *message = MSG{next->window, WM_TIMER, next->id, reinterpret_cast<LPARAM>(next->callback), Milliseconds(),
                     POINT{0, 0}};
      return TRUE;
    }
    queue->changed.wait_until(lock, next->due);
  }
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* message) {
  if (message == nullptr) return 0;
  if (message->message == WM_TIMER && message->lParam != 0) {
    reinterpret_cast<TIMERPROC>(message->lParam)(message->hwnd, WM_TIMER, message->wParam, Milliseconds());
    return 0;
  }
  WNDPROC procedure = nullptr;
  {
    WindowSystem& system = System();
    std::lock_guard<std::mutex> guard(system.mutex);
    const auto found = system.windows.find(message->hwnd);
    if (found != system.windows.end()) procedure = found->second.procedure;
  }
  return procedure != nullptr ? procedure(message->hwnd, message->message, message->wParam, message->lParam) : 0;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowSystem& system = System();
  std::lock_guard<std::mutex> guard(system.mutex);
  const Window* found = FindWindowLocked(system, window);
  if (found == nullptr) return FALSE;
  Post(QueueOf(system, found->thread), window, message, wParam, lParam);
  return TRUE;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowSystem& system = System();
  std::lock_guard<std::mutex> guard(system.mutex);
  const auto found = system.queues.find(threadId);
  if (found == system.queues.end()) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  Post(*found->second, nullptr, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  WindowSystem& system = System();
  std::lock_guard<std::mutex> guard(system.mutex);
  Post(QueueOf(system, GetCurrentThreadId()), nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}
