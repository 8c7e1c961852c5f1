#include "platform/event.h"
#include "platform/threads.h"
#include "platform/timerqueue.h"
#include "support/Eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr DWORD kHour = 3600 * 1000;

void CountCall(PVOID parameter, BOOLEAN) { ++*static_cast<std::atomic<int>*>(parameter); }

// A callback that signals it has begun and then waits until released.
struct BlockingCallback {
  HANDLE entered = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ~BlockingCallback() {
    CloseHandle(entered);
    CloseHandle(release);
  }
  static void Run(PVOID parameter, BOOLEAN) {
    auto* self = static_cast<BlockingCallback*>(parameter);
    SetEvent(self->entered);
    WaitForSingleObject(self->release, kLongWait);
  }
};

}  // namespace

TEST(TimerQueue, PeriodicCallbacksStopWhenTheTimerIsDeleted) {
  std::atomic<int> calls{0};
  HANDLE timer = nullptr;
  ASSERT_TRUE(CreateTimerQueueTimer(&timer, nullptr, CountCall, &calls, 0, 1, WT_EXECUTEDEFAULT));
  EXPECT_TRUE(Eventually([&] { return calls >= 3; }));
  ASSERT_TRUE(DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE));
  const int afterDelete = calls;
  Sleep(20);
  EXPECT_EQ(calls, afterDelete);
  EXPECT_FALSE(ChangeTimerQueueTimer(nullptr, timer, 1, 1));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(TimerQueue, AChangeAppliesAtOnceAndPeriodZeroFiresOnce) {
  std::atomic<int> calls{0};
  HANDLE timer = nullptr;
  ASSERT_TRUE(CreateTimerQueueTimer(&timer, nullptr, CountCall, &calls, kHour, kHour, WT_EXECUTEDEFAULT));
  ASSERT_TRUE(ChangeTimerQueueTimer(nullptr, timer, 1, 1));
  EXPECT_TRUE(Eventually([&] { return calls >= 2; }));
  EXPECT_TRUE(DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE));

  std::atomic<int> once{0};
  ASSERT_TRUE(CreateTimerQueueTimer(&timer, nullptr, CountCall, &once, 0, 0, WT_EXECUTEDEFAULT));
  EXPECT_TRUE(Eventually([&] { return once == 1; }));
  Sleep(20);
  EXPECT_EQ(once, 1);
  EXPECT_TRUE(DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE));
}

TEST(TimerQueue, DeletingWaitsForARunningCallbackOnlyWhenAskedTo) {
  for (HANDLE completion : {INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)}) {
    BlockingCallback callback;
    HANDLE timer = nullptr;
    ASSERT_TRUE(CreateTimerQueueTimer(&timer, nullptr, BlockingCallback::Run, &callback, 0, 0, WT_EXECUTEDEFAULT));
    ASSERT_EQ(WaitForSingleObject(callback.entered, kLongWait), WAIT_OBJECT_0);
    std::atomic<bool> deleted{false};
    BOOL result = FALSE;
    DWORD error = 0;
    std::thread deleter([&] {
      result = DeleteTimerQueueTimer(nullptr, timer, completion);
      error = GetLastError();
      deleted = true;
    });
    if (completion == INVALID_HANDLE_VALUE) {
      Sleep(20);
      EXPECT_FALSE(deleted);
      SetEvent(callback.release);
      deleter.join();
      EXPECT_TRUE(result);
    } else {
      deleter.join();
      EXPECT_FALSE(result);
      EXPECT_EQ(error, ERROR_IO_PENDING);
      SetEvent(callback.release);
    }
  }
}

TEST(TimerQueue, ACallbackCanDeleteItsOwnTimer) {
  struct SelfDeleting {
    HANDLE timer = nullptr;
    std::atomic<int> result{-1};
    static void Run(PVOID parameter, BOOLEAN) {
      auto* self = static_cast<SelfDeleting*>(parameter);
      if (self->result != -1) return;
      self->result = DeleteTimerQueueTimer(nullptr, self->timer, INVALID_HANDLE_VALUE) ? 1 : 0;
    }
  } self;
  ASSERT_TRUE(CreateTimerQueueTimer(&self.timer, nullptr, SelfDeleting::Run, &self, kHour, 1, WT_EXECUTEDEFAULT));
  ASSERT_TRUE(ChangeTimerQueueTimer(nullptr, self.timer, 0, 1));
  EXPECT_TRUE(Eventually([&] { return self.result != -1; }));
  EXPECT_EQ(self.result, 0);  // it could not wait for itself
}

TEST(TimerQueue, RefusedRequests) {
  std::atomic<int> calls{0};
  HANDLE timer = nullptr;
  int queue = 0;
  const ULONG kExecuteOnlyOnce = 0x8;
  EXPECT_FALSE(CreateTimerQueueTimer(&timer, &queue, CountCall, &calls, 0, 1, WT_EXECUTEDEFAULT));
  EXPECT_FALSE(CreateTimerQueueTimer(&timer, nullptr, CountCall, &calls, 0, 1, kExecuteOnlyOnce));
  EXPECT_FALSE(CreateTimerQueueTimer(&timer, nullptr, nullptr, &calls, 0, 1, WT_EXECUTEDEFAULT));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  ThreadFailNextCreations(2);
  EXPECT_FALSE(CreateTimerQueueTimer(&timer, nullptr, CountCall, &calls, 0, 1, WT_EXECUTEDEFAULT));
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(calls, 0);

  ASSERT_TRUE(CreateTimerQueueTimer(&timer, nullptr, CountCall, &calls, kHour, 0, WT_EXECUTEDEFAULT));
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(DeleteTimerQueueTimer(nullptr, timer, event));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(DeleteTimerQueueTimer(nullptr, event, INVALID_HANDLE_VALUE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE));
  CloseHandle(event);
}
