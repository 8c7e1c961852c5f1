#include "COPCEventSubscription.h"
#include "CVorlixApp.h"
#include "OPCServer.h"
#include "Vorlix.h"
#include "support/OpcTestClient.h"
#include "support/RunningServer.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

// What the subscriptions and the AE callback object heard, in order, from any thread.
class SubscriptionLog {
 public:
  void Add(std::string entry) {
    std::lock_guard<std::mutex> guard(mutex_);
    entries_.push_back(std::move(entry));
  }
  std::vector<std::string> Entries() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return entries_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> entries_;
};

SubscriptionLog eventLog;

std::string Named(const char* what, DWORD handle) { return std::string(what) + " " + std::to_string(handle); }

class RecordingSubscription : public COPCEventSubscription {
 public:
  ~RecordingSubscription() override { eventLog.Add(Named("deleted", Handle())); }
  void FireSimpleEvent(const char* source, const char* message, DWORD severity) override {
    eventLog.Add(Named("simple", Handle()) + " " + source + " " + message + " " + std::to_string(severity));
  }
  void FireEvent(const ONEVENTSTRUCT& event, BOOL refresh, BOOL lastRefresh) override {
    eventLog.Add(Named("event", Handle()) + " " + std::to_string(event.dwSeverity) + " " + std::to_string(refresh) +
                 std::to_string(lastRefresh));
  }
};

class RecordingCallback : public CLumoAExCallback {
 public:
  HRESULT RemoveEventSubscription(DWORD subscription) override {
    eventLog.Add(Named("callback", subscription));
    return S_OK;
  }
};

OPCServer& ServerOf(const OpcTestClient& client) { return *static_cast<OPCServer*>(client.Server()); }

}  // namespace

TEST(EventBroadcast, HostMessagesReachEverySubscriptionOrTheNamedOneOnly) {
  RunningServer server;
  ASSERT_TRUE(server.Started());
  OpcTestClient first;
  OpcTestClient second;
  ASSERT_EQ(first.Connect(), S_OK);
  ASSERT_EQ(second.Connect(), S_OK);
  auto* a = new RecordingSubscription;
  auto* b = new RecordingSubscription;
  ServerOf(first).AddEventSubscription(a);
  ServerOf(second).AddEventSubscription(b);
  const DWORD handleA = a->Handle();
  const DWORD handleB = b->Handle();
  const DWORD unknown = handleA + handleB + 1;
  const size_t before = eventLog.Entries().size();

  char message[] = "Pump 3 stopped";
  EXPECT_TRUE(UserAEMessage(message, 500));
  ONEVENTSTRUCT event{};
  event.dwSeverity = 700;
  EXPECT_TRUE(UserAEMessageEx(event));
  EXPECT_TRUE(UserAEMessageEx2(handleB, event, TRUE, FALSE));
  EXPECT_TRUE(UserAEMessageEx2(unknown, event, FALSE, FALSE));

  const std::vector<std::string> entries = eventLog.Entries();
  const std::vector<std::string> expected = {
      Named("simple", handleA) + " User Message Pump 3 stopped 500",
      Named("simple", handleB) + " User Message Pump 3 stopped 500",
      Named("event", handleA) + " 700 00",
      Named("event", handleB) + " 700 00",
      Named("event", handleB) + " 700 10",
  };
  EXPECT_EQ(std::vector<std::string>(entries.begin() + before, entries.end()), expected);
}

TEST(EventBroadcast, ARemovedSubscriptionIsAnnouncedToTheCallbackBeforeItGoes) {
  SetAEServerCallback(FALSE, new RecordingCallback);
  OPCServer* server = new OPCServer;
  auto* removed = new RecordingSubscription;
  auto* remaining = new RecordingSubscription;
  server->AddEventSubscription(removed);
  server->AddEventSubscription(remaining);
  const DWORD removedHandle = removed->Handle();
  const DWORD remainingHandle = remaining->Handle();
  RecordingSubscription stray;
  const size_t before = eventLog.Entries().size();

  EXPECT_TRUE(server->RemoveEventSubscription(removed));
  EXPECT_FALSE(server->RemoveEventSubscription(&stray));  // the callback still hears of it
  delete server;  // as its worker does: the last subscription goes with it

  const std::vector<std::string> entries = eventLog.Entries();
  const std::vector<std::string> expected = {
      Named("callback", removedHandle), Named("deleted", removedHandle), Named("callback", stray.Handle()),
      Named("callback", remainingHandle), Named("deleted", remainingHandle)};
  EXPECT_EQ(std::vector<std::string>(entries.begin() + before, entries.end()), expected);
}
