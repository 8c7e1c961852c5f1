#include "runtime/UpdateTimer.h"

#include "platform/kernelobject.h"
#include "platform/threads.h"

#include <algorithm>

namespace {

constexpr char kWindowClass[] = "LUMOTimerNotify";

// The timer thread's own timer object: the thread timer's callback and the
// window procedure are called on that thread with no data of their own.
thread_local UpdateTimer* tTimer = nullptr;

}  // namespace

UpdateTimer::UpdateTimer(std::function<void()> scanClients) : scanClients_(std::move(scanClients)) {}

UpdateTimer::~UpdateTimer() { Stop(); }

bool UpdateTimer::Start(UINT rate, Job job) {
  job_ = job;
  rate_ = std::max(rate, kMinimumRate);
  std::lock_guard<std::mutex> guard(threadMutex_);
  if (thread_ != nullptr) return PostMessageA(window_, kRateChanged, rate_, 0) != FALSE;
  {
    std::lock_guard<std::mutex> startGuard(startMutex_);
    startup_ = Startup::Pending;
  }
  thread_ = CreateThread(nullptr, 0, &UpdateTimer::ThreadProc, this, 0, &threadId_);
  if (thread_ == nullptr) return false;
  std::unique_lock<std::mutex> lock(startMutex_);
  started_.wait(lock, [&] { return startup_ != Startup::Pending; });
  if (startup_ == Startup::Running) return true;
  lock.unlock();
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
  return false;
}

void UpdateTimer::SetRate(UINT rate) {
  rate_ = std::max(rate, kMinimumRate);
  std::lock_guard<std::mutex> guard(threadMutex_);
  if (thread_ != nullptr) PostMessageA(window_, kRateChanged, rate_, 0);
}

void UpdateTimer::Stop() {
  std::lock_guard<std::mutex> guard(threadMutex_);
  if (thread_ == nullptr) return;
  PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
}

DWORD WINAPI UpdateTimer::ThreadProc(LPVOID self) {
  static_cast<UpdateTimer*>(self)->Run();
  return 0;
}

void UpdateTimer::Run() {
  tTimer = this;
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &UpdateTimer::WindowProc;
  windowClass.lpszClassName = kWindowClass;
  // A timer started again after a stop finds its class registered.
  RegisterClassA(&windowClass);
  const HWND window = CreateWindowExA(0, kWindowClass, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (window != nullptr) {
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    window_ = window;
    Arm();
  }
  const bool running = window != nullptr && timerId_ != 0;
  {
    std::lock_guard<std::mutex> guard(startMutex_);
    startup_ = running ? Startup::Running : Startup::Failed;
  }
  started_.notify_all();
  if (!running) {
    if (window != nullptr) DestroyWindow(window);
    window_ = nullptr;
    UnregisterClassA(kWindowClass, nullptr);
    return;
  }

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  KillTimer(nullptr, timerId_);
  timerId_ = 0;
  DestroyWindow(window);
  window_ = nullptr;
  // The class names this library's window procedure: gone with the window,
  // so that a library loaded again registers its own.
  UnregisterClassA(kWindowClass, nullptr);
}

void UpdateTimer::Arm() {
  if (timerId_ != 0) KillTimer(nullptr, timerId_);
  timerId_ = SetTimer(nullptr, 0, rate_, &UpdateTimer::OnTimer);
}

LRESULT CALLBACK UpdateTimer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRateChanged && tTimer != nullptr) tTimer->Arm();
  return DefWindowProcA(window, message, wParam, lParam);
}

void CALLBACK UpdateTimer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  UpdateTimer& timer = *tTimer;
  if (timer.job_ == Job::ScanClients) {
    timer.scanClients_();
  } else {
    timer.Pulse();
  }
}
