#include "platform/event.h"
#include "platform/threads.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kLongWait = 10000;

struct Job {
  HANDLE go;
  HANDLE done;
  DWORD idSeenInside = 0;
};

// Waits for the go event, notes its thread id, signals done and returns 42.
DWORD RunJob(LPVOID parameter) {
  Job* job = static_cast<Job*>(parameter);
  if (WaitForSingleObject(job->go, kLongWait) != WAIT_OBJECT_0) return 1;
  job->idSeenInside = GetCurrentThreadId();
  SetEvent(job->done);
  return 42;
}

struct JobFixture : ::testing::Test {
  void SetUp() override {
    job.go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    job.done = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  }
  void TearDown() override {
    CloseHandle(job.go);
    CloseHandle(job.done);
  }
  Job job;
};

}  // namespace

using ThreadTest = JobFixture;

TEST_F(ThreadTest, HandleIsSignalledWhenTheThreadEnds) {
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, RunJob, &job, 0, &id);
  ASSERT_NE(thread, nullptr);
  DWORD exitCode = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &exitCode));
  EXPECT_EQ(exitCode, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);

  SetEvent(job.go);
  ASSERT_EQ(WaitForSingleObject(thread, kLongWait), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeThread(thread, &exitCode));
  EXPECT_EQ(exitCode, 42u);
  EXPECT_EQ(job.idSeenInside, id);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(thread));
}

TEST_F(ThreadTest, ClosingTheHandleEarlyLeavesTheThreadRunning) {
  HANDLE thread = CreateThread(nullptr, 0, RunJob, &job, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_TRUE(CloseHandle(thread));
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
  SetEvent(job.go);
  EXPECT_EQ(WaitForSingleObject(job.done, kLongWait), WAIT_OBJECT_0);
}

TEST(Threads, UnsupportedRequestsAndPseudoHandles) {
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  const DWORD kCreateSuspended = 4;
  EXPECT_EQ(CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, kCreateSuspended, nullptr),
            nullptr);
  EXPECT_TRUE(CloseHandle(GetCurrentThread()));
  EXPECT_EQ(GetCurrentThreadId(), GetCurrentThreadId());
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  DWORD exitCode = 0;
  EXPECT_FALSE(GetExitCodeThread(event, &exitCode));  // an event is no thread
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  CloseHandle(event);
}
