#include "platform/lasterror.h"
#include "platform/threads.h"
#include "platform/windowmessages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// What the loop thread saw, in order: "timer" per tick, the posted messages by number.
std::vector<std::string> gSeen;
std::atomic<int> gTicks{0};

void CALLBACK CountTick(HWND, UINT message, UINT_PTR, DWORD) {
  EXPECT_EQ(message, WM_TIMER);
  if (++gTicks == 1) gSeen.push_back("timer");
}

LRESULT CALLBACK RecordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  gSeen.push_back(std::to_string(message - WM_USER) + ":" + std::to_string(wParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

struct LoopThread {
  std::atomic<DWORD> id{0};
  std::atomic<HWND> window{nullptr};
  std::thread thread;

  explicit LoopThread(UINT timerPeriod) {
    thread = std::thread([this, timerPeriod] {
      window = CreateWindowExA(0, "WindowMessagesTest", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, HWND_MESSAGE, nullptr, nullptr, nullptr);
      const UINT_PTR timer = timerPeriod != 0 ? SetTimer(nullptr, 0, timerPeriod, &CountTick) : 0;
      id = GetCurrentThreadId();
      MSG message;
      while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
      if (timer != 0) KillTimer(nullptr, timer);
      DestroyWindow(window);
    });
    while (id == 0) std::this_thread::yield();
  }
  ~LoopThread() {
    if (thread.joinable()) {
      PostThreadMessageA(id, WM_QUIT, 0, 0);
      thread.join();
    }
  }
};

class WindowMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    gSeen.clear();
    gTicks = 0;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &RecordMessage;
    windowClass.lpszClassName = "WindowMessagesTest";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
  }
  void TearDown() override { UnregisterClassA("WindowMessagesTest", nullptr); }
};

}  // namespace

TEST_F(WindowMessages, PostedMessagesReachTheWindowsThreadInOrderAndWmQuitEndsItsLoop) {
  {
    LoopThread loop(0);
    for (WPARAM i = 1; i <= 3; ++i) EXPECT_TRUE(PostMessageA(loop.window, WM_USER + 1, i, 0));
    EXPECT_TRUE(PostThreadMessageA(loop.id, WM_QUIT, 0, 0));
    loop.thread.join();
  }
  EXPECT_EQ(gSeen, (std::vector<std::string>{"1:1", "1:2", "1:3"}));
}

TEST_F(WindowMessages, AThreadTimerCallsItsCallbackThroughTheLoopUntilKilled) {
  LoopThread loop(10);
  while (gTicks < 3) std::this_thread::yield();
  PostThreadMessageA(loop.id, WM_QUIT, 0, 0);
  loop.thread.join();
  ASSERT_GE(gSeen.size(), 1u);
  EXPECT_EQ(gSeen.front(), "timer");
  // The loop's own KillTimer ended the timer: nothing is left to tick.
  const int ticks = gTicks;
  EXPECT_FALSE(KillTimer(nullptr, 1));
  EXPECT_EQ(gTicks, ticks);
}

TEST_F(WindowMessages, ErrorsAreTheTargetPlatformsOnes) {
  WNDCLASSA again{};
  again.lpfnWndProc = &RecordMessage;
  again.lpszClassName = "windowmessagestest";
  EXPECT_EQ(RegisterClassA(&again), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);

  const HWND window =
      CreateWindowExA(0, "WindowMessagesTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);

  // A thread that never asked for a message has no queue to post to.
  DWORD idle = 0;
  std::thread([&] { idle = GetCurrentThreadId(); }).join();
  EXPECT_FALSE(PostThreadMessageA(idle, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}
