// A host replaces its AE callback object while a client's call is inside the
// old one: the old object stays until that call returns, and is deleted then,
// without the server lock.
#include "app/CVorlixApp.h"
#include "support/OpcTestClient.h"
#include "support/RunningServer.h"

#include "platform/IOPCEventServer.h"
#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Answers QueryAvailableFilters with its mask once the test lets the call go.
class HeldCallback : public CLumoAExCallback {
 public:
  HeldCallback(DWORD mask, std::atomic<int>& destroyed, std::atomic<bool>& destroyedUnderLock)
      : mask_(mask), destroyed_(destroyed), destroyedUnderLock_(destroyedUnderLock) {}
  ~HeldCallback() override {
    if (VorlixApp().GetServerLock().HeldByCurrentThread()) destroyedUnderLock_ = true;
    ++destroyed_;
  }

  HRESULT QueryAvailableFilters(DWORD* filterMask) override {
    std::unique_lock<std::mutex> lock(mutex_);
    entered_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
    *filterMask = mask_;
    return S_OK;
  }

  void WaitUntilEntered() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return entered_; });
  }
  void LetGo() {
    std::lock_guard<std::mutex> guard(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  const DWORD mask_;
  std::atomic<int>& destroyed_;
  std::atomic<bool>& destroyedUnderLock_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool entered_ = false;
  bool released_ = false;
};

}  // namespace

TEST(AECallbackReplacement, TheReplacedObjectGoesWhenTheCallInsideItReturns) {
  RunningServer running;
  ASSERT_TRUE(running.Started());
  OpcTestClient client;
  ASSERT_EQ(client.Connect(), S_OK);
  IOPCEventServer* events = nullptr;
  ASSERT_EQ(client.Query(IID_IOPCEventServer, &events), S_OK);

  std::atomic<int> oldDestroyed{0};
  std::atomic<int> newDestroyed{0};
  std::atomic<bool> underLock{false};
  auto* old = new HeldCallback(7, oldDestroyed, underLock);
  SetAEServerCallback(FALSE, old);
  DWORD answered = 0;
  std::thread call([&] { EXPECT_EQ(events->QueryAvailableFilters(&answered), S_OK); });
  old->WaitUntilEntered();

  auto* replacement = new HeldCallback(9, newDestroyed, underLock);
  replacement->LetGo();
  SetAEServerCallback(FALSE, replacement);
  EXPECT_EQ(oldDestroyed, 0);  // the call is still inside it
  DWORD mask = 0;
  EXPECT_EQ(events->QueryAvailableFilters(&mask), S_OK);
  EXPECT_EQ(mask, 9u);

  old->LetGo();
  call.join();
  EXPECT_EQ(answered, 7u);
  EXPECT_EQ(oldDestroyed, 1);
  EXPECT_EQ(newDestroyed, 0);
  SetAEServerCallback(FALSE, nullptr);
  EXPECT_EQ(newDestroyed, 1);
  EXPECT_FALSE(underLock);
}
