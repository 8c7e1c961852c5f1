#include "platform/event.h"
#include "platform/threads.h"
#include "support/Eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Threads that each wait once on an event and record the result.
class Waiters {
 public:
  Waiters(HANDLE event, int count) : results_(count) {
    for (int i = 0; i < count; ++i) {
      threads_.emplace_back([this, event, i] {
        results_[i] = WaitForSingleObject(event, kLongWait);
        ++finished_;
      });
    }
    EXPECT_TRUE(Eventually([&] { return GetEventWaiterCount(event) == count; }));
  }
  ~Waiters() { Join(); }

  int Finished() const { return finished_; }

  std::vector<DWORD> Join() {
    for (std::thread& thread : threads_) {
      if (thread.joinable()) thread.join();
    }
    return results_;
  }

 private:
  std::vector<DWORD> results_;
  std::atomic<int> finished_{0};
  std::vector<std::thread> threads_;
};

struct EventHandle {
  explicit EventHandle(BOOL manualReset, BOOL initialState = FALSE)
      : handle(CreateEvent(nullptr, manualReset, initialState, nullptr)) {}
  ~EventHandle() { CloseHandle(handle); }
  HANDLE handle;
};

}  // namespace

TEST(Event, ManualResetReleasesEveryWaiterPresent) {
  struct Case {
    BOOL (*release)(HANDLE);
    DWORD laterWait;  // a thread that comes later finds the event set only after SetEvent
  };
  for (const Case& c : {Case{SetEvent, WAIT_OBJECT_0}, Case{PulseEvent, WAIT_TIMEOUT}}) {
    EventHandle event(TRUE);
    Waiters waiters(event.handle, 4);
    ASSERT_TRUE(c.release(event.handle));
    EXPECT_EQ(waiters.Join(), std::vector<DWORD>(4, WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event.handle, 20), c.laterWait);
  }
}

TEST(Event, ManualResetStaysSetUntilResetOrPulse) {
  EventHandle event(TRUE, TRUE);
  EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_OBJECT_0);
  ASSERT_TRUE(ResetEvent(event.handle));
  EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(SetEvent(event.handle));
  ASSERT_TRUE(PulseEvent(event.handle));
  EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);
}

TEST(Event, AutoResetSignalIsTakenByOneWait) {
  EventHandle event(FALSE, TRUE);
  EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(SetEvent(event.handle));
  ASSERT_TRUE(SetEvent(event.handle));  // a signal does not add up
  EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);
}

TEST(Event, AutoResetReleasesOneWaiterPerSetOrPulse) {
  for (auto release : {SetEvent, PulseEvent}) {
    EventHandle event(FALSE);
    Waiters waiters(event.handle, 2);
    ASSERT_TRUE(release(event.handle));
    ASSERT_TRUE(Eventually([&] { return waiters.Finished() == 1; }));
    EXPECT_EQ(GetEventWaiterCount(event.handle), 1);
    ASSERT_TRUE(release(event.handle));
    EXPECT_EQ(waiters.Join(), std::vector<DWORD>(2, WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);
  }
}

TEST(Event, PulseAfterTheGenerationWasReadIsNotLost) {
  EventHandle event(TRUE);
  const ULONGLONG seen = GetEventGeneration(event.handle);
  EXPECT_EQ(WaitForEventAfter(event.handle, seen, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(PulseEvent(event.handle));
  EXPECT_EQ(WaitForEventAfter(event.handle, seen, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForEventAfter(event.handle, GetEventGeneration(event.handle), 20), WAIT_TIMEOUT);
  EXPECT_EQ(GetEventWaiterCount(event.handle), 0);  // the timed-out wait left the queue
}

namespace {

struct Worker {
  HANDLE event;
  std::atomic<bool> running{true};
  std::atomic<int> scans{0};
};

DWORD WorkerLoop(LPVOID parameter) {
  Worker* worker = static_cast<Worker*>(parameter);
  for (;;) {
    const ULONGLONG seen = GetEventGeneration(worker->event);
    if (!worker->running) break;
    ++worker->scans;
    WaitForEventAfter(worker->event, seen, INFINITE);
  }
  return 0;
}

}  // namespace

TEST(Event, StopFlagThenPulseAlwaysEndsAWorkerLoop) {
  EventHandle event(TRUE);
  for (int round = 0; round < 100; ++round) {
    Worker worker;
    worker.event = event.handle;
    HANDLE thread = CreateThread(nullptr, 0, WorkerLoop, &worker, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    if (round % 2 == 0) {
      ASSERT_TRUE(Eventually([&] { return worker.scans > 0; }));
    }
    worker.running = false;
    ASSERT_TRUE(PulseEvent(event.handle));
    ASSERT_EQ(WaitForSingleObject(thread, kLongWait), WAIT_OBJECT_0) << "round " << round;
    CloseHandle(thread);
  }
}

TEST(Event, BadHandlesAndNamesAreRefused) {
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(CloseHandle(event));
  for (HANDLE bad : {static_cast<HANDLE>(nullptr), event, INVALID_HANDLE_VALUE}) {
    SetLastError(0);
    EXPECT_FALSE(SetEvent(bad));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(PulseEvent(bad));
    EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForEventAfter(bad, 0, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(bad));
  }
  EXPECT_EQ(CreateEvent(nullptr, TRUE, FALSE, "named"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}
