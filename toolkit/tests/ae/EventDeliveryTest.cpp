#include "ae/COPCEventSubscription.h"
#include "app/CVorlixApp.h"
#include "support/Eventually.h"
#include "support/HostCalls.h"
#include "support/OpcTestClient.h"
#include "support/RunningServer.h"
#include "support/TaskMemoryFailures.h"
#include "support/TestEventSink.h"
#include "support/TraceCapture.h"

#include "platform/opcguid.h"
#include "platform/taskmemory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// A subscription of a client with a sink connected to it. The sink must
// outlive the client, which releases the subscription and so the sink.
struct Subscribed {
  IUnknown* subscription = nullptr;
  TestEventSink sink;

  DWORD Handle() const { return static_cast<COPCEventSubscription*>(subscription)->Handle(); }
};

void Subscribe(OpcTestClient& client, Subscribed& subscribed, OPCHANDLE clientHandle, BOOL active = TRUE) {
  ASSERT_EQ(client.CreateEventSubscription(IID_IUnknown, &subscribed.subscription, clientHandle, active), S_OK);
  IConnectionPoint* point = client.EventPoint(subscribed.subscription);
  ASSERT_NE(point, nullptr);
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&subscribed.sink, &cookie), S_OK);
  EXPECT_EQ(cookie, 1u);
}

// An event as a host fills it in, with two attributes.
class HostEvent {
 public:
  explicit HostEvent(const WCHAR* message) : message_(message) {
    attributes_[0] = MakeI4(17);
    attributes_[1] = MakeBstr(OLESTR("valve"));
    event_ = ONEVENTSTRUCT{OPC_CHANGE_ACTIVE_STATE, OPC_CONDITION_ENABLED | OPC_CONDITION_ACTIVE, source_.data(),
                           {0x1000, 0x01D50000}, message_.data(), OPC_CONDITION_EVENT, 7, 650, condition_.data(),
                           subcondition_.data(), OPC_QUALITY_GOOD, 0, TRUE, {0x2000, 0x01D50000}, 4242, 2,
                           attributes_, actor_.data()};
  }
  ~HostEvent() {
    for (VARIANT& attribute : attributes_) VariantClear(&attribute);
  }
  HostEvent(const HostEvent&) = delete;
  HostEvent& operator=(const HostEvent&) = delete;

  const ONEVENTSTRUCT& Get() const { return event_; }

 private:
  WideString source_ = OLESTR("Boiler\u00E9");
  WideString message_;
  WideString condition_ = OLESTR("Pressure");
  WideString subcondition_ = OLESTR("High");
  WideString actor_ = OLESTR("Operator");
  VARIANT attributes_[2];
  ONEVENTSTRUCT event_;
};

constexpr int kHi = 3;
constexpr int kHiHi = 4;

// A running server with two connected clients.
class EventDelivery : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(running_.Started());
    ASSERT_EQ(first_.Connect(), S_OK);
    ASSERT_EQ(second_.Connect(), S_OK);
  }

  RunningServer running_;
  // Before the clients, which release their subscriptions and so the sinks.
  Subscribed subscribed_[3];
  OpcTestClient first_;
  OpcTestClient second_;
};

}  // namespace

TEST_F(EventDelivery, AHostMessageReachesEverySubscriptionOfEveryClientAsASimpleEvent) {
  auto& [a, b, inactive] = subscribed_;
  Subscribe(first_, a, 10);
  Subscribe(first_, b, 11);
  Subscribe(second_, inactive, 20, FALSE);  // events go whatever the active flag
  IUnknown* withoutSink = nullptr;
  ASSERT_EQ(second_.CreateEventSubscription(IID_IUnknown, &withoutSink), S_OK);

  char message[] = "Pump 3 stopped";
  EXPECT_TRUE(UserAEMessage(message, 500));

  for (Subscribed* subscribed : {&a, &b, &inactive}) {
    const std::vector<TestEventSink::Received> events = subscribed->sink.Events();
    ASSERT_EQ(events.size(), 1u);
    const TestEventSink::Received& event = events[0];
    EXPECT_EQ(event.source, "User Message");
    EXPECT_EQ(event.message, "Pump 3 stopped");
    EXPECT_EQ(event.severity, 500u);
    EXPECT_EQ(event.eventType, OPC_SIMPLE_EVENT);
    EXPECT_EQ(event.category, 1u);
    EXPECT_EQ(event.count, 1u);
    EXPECT_FALSE(event.refresh);
    EXPECT_FALSE(event.lastRefresh);
    EXPECT_EQ(event.thread, std::this_thread::get_id());
    EXPECT_FALSE(event.underLock);
  }
  EXPECT_EQ(a.sink.Events()[0].clientSubscription, 10u);
  EXPECT_EQ(b.sink.Events()[0].clientSubscription, 11u);
  EXPECT_EQ(inactive.sink.Events()[0].clientSubscription, 20u);
}

TEST_F(EventDelivery, AnEventForOneSubscriptionReachesThatOneAlone) {
  Subscribed& a = subscribed_[0];
  Subscribed& b = subscribed_[1];
  Subscribe(first_, a, 10);
  Subscribe(second_, b, 20);

  EXPECT_TRUE(UserAEMessageEx(HostEvent(OLESTR("to all")).Get()));
  EXPECT_TRUE(UserAEMessageEx2(b.Handle(), HostEvent(OLESTR("to b")).Get(), TRUE, TRUE));
  EXPECT_TRUE(UserAEMessageEx2(a.Handle() + b.Handle() + 1, HostEvent(OLESTR("to nobody")).Get(), FALSE, FALSE));

  EXPECT_EQ(a.sink.Messages(), std::vector<std::string>{"to all"});
  ASSERT_EQ(b.sink.Messages(), (std::vector<std::string>{"to all", "to b"}));
  const TestEventSink::Received named = b.sink.Events()[1];
  EXPECT_TRUE(named.refresh);
  EXPECT_TRUE(named.lastRefresh);
  EXPECT_EQ(named.clientSubscription, 20u);
  EXPECT_EQ(named.source, "Boiler\xA8\xA6");
  EXPECT_EQ(named.conditionName, "Pressure");
  EXPECT_EQ(named.subconditionName, "High");
  EXPECT_EQ(named.actorId, "Operator");
  EXPECT_EQ(named.cookie, 4242u);
  EXPECT_EQ(named.severity, 650u);
  EXPECT_EQ(named.category, 7u);
  EXPECT_EQ(named.time.dwLowDateTime, 0x1000u);
  EXPECT_EQ(named.activeTime.dwLowDateTime, 0x2000u);
  EXPECT_TRUE(named.ackRequired);
  EXPECT_EQ(named.attributes, (std::vector<std::string>{"17", "valve"}));
  EXPECT_FALSE(a.sink.Events()[0].refresh);
}

TEST_F(EventDelivery, LevelAlarmEventsReachTheSinksInOrderOnTheUpdatingThread) {
  Subscribed& subscribed = subscribed_[0];
  Subscribe(first_, subscribed, 5);
  const DWORD tag = NewTag("Plant.Tank.Level");
  ASSERT_TRUE(SetItemLevelAlarm(tag, kHi, 100.0f, 500, TRUE));
  ASSERT_TRUE(SetItemLevelAlarm(tag, kHiHi, 120.0f, 700, TRUE));

  std::thread::id host;
  std::thread([&] {
    host = std::this_thread::get_id();
    for (float value : {50.0f, 110.0f, 130.0f, 90.0f}) {
      VARIANT level = MakeR4(value);
      UpdateTag(tag, level, OPC_QUALITY_GOOD);
    }
    // A batch sends its events once it ends, in the order of its updates.
    StartUpdateTags();
    for (float value : {125.0f, 105.0f}) {
      VARIANT level = MakeR4(value);
      UpdateTagToList(tag, level, OPC_QUALITY_GOOD);
    }
    EndUpdateTags();
  }).join();

  const std::vector<std::string> expected = {"High Limit Exceeded", "High High Limit Exceeded", "Normal Condition",
                                             "High High Limit Exceeded", "High Limit Exceeded"};
  EXPECT_EQ(subscribed.sink.Messages(), expected);
  for (const TestEventSink::Received& event : subscribed.sink.Events()) {
    EXPECT_EQ(event.thread, host);
    EXPECT_FALSE(event.underLock);
    EXPECT_EQ(event.eventType, OPC_CONDITION_EVENT);
    EXPECT_EQ(event.category, 2u);
    EXPECT_EQ(event.conditionName, "Level");
    EXPECT_EQ(event.source, "Plant.Tank.Level");
    EXPECT_EQ(event.cookie, tag);
    EXPECT_EQ(event.clientSubscription, 5u);
  }
}

TEST_F(EventDelivery, TheSubscriptionsPointTakesOneEventSinkAndTracesAsAnEventPoint) {
  TestEventSink& sink = subscribed_[0].sink;
  TestEventSink& second = subscribed_[1].sink;
  IUnknown* subscription = nullptr;
  ASSERT_EQ(first_.CreateEventSubscription(IID_IUnknown, &subscription), S_OK);
  TraceCapture capture;
  IConnectionPoint* point = first_.EventPoint(subscription);
  ASSERT_NE(point, nullptr);
  IID sinkIid{};
  EXPECT_EQ(point->GetConnectionInterface(&sinkIid), S_OK);
  EXPECT_EQ(sinkIid, IID_IOPCEventSink);
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(&sink, &cookie), S_OK);
  EXPECT_EQ(point->Advise(&second, &cookie), CONNECT_E_ADVISELIMIT);
  EXPECT_EQ(point->Unadvise(2), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(sink.References(), 1);
  EXPECT_EQ(second.References(), 0);
  EXPECT_EQ(point->Unadvise(1), S_OK);
  EXPECT_EQ(sink.References(), 0);

  const std::vector<std::string> expected = {
      "COPCEventSubscription::QueryInterface IID_IConnectionPointContainer",
      "COPCEventSubscription::AddRef(2)",
      "CIOPCEventConnectionContainer::FindConnectionPoint IID_IOPCEventSink",
      "OPCEventConnectionPoint::AddRef() [defered to OPCEventConnectionContainer]",
      "OPCEventConnectionContainer::AddRef() [defered to OPCEventSubscription]",
      "COPCEventSubscription::AddRef(3)",
      "OPCEventConnectionPoint::GetConnectionInterface IID_IOPCEventSink",
      "OPCEventConnectionPoint::Advise S_OK",
      "OPCEventConnectionPoint::Advise CONNECT_E_ADVISELIMIT",
      "OPCEventConnectionPoint::Unadvise CONNECT_E_NOCONNECT",
      "OPCEventConnectionPoint::Unadvise S_OK",
  };
  std::vector<std::string> lines;
  for (const TraceCapture::Line& line : capture.Lines()) lines.push_back(line.text);
  EXPECT_EQ(lines, expected);

  // The subscription goes with the client's last reference, and lets go of a sink it still holds.
  EXPECT_EQ(point->Advise(&second, &cookie), S_OK);
  first_.ReleaseAll();
  EXPECT_EQ(second.References(), 0);
}

TEST_F(EventDelivery, ASinkMayFailOrReleaseItsSubscriptionsWhileItHasAnEvent) {
  auto& [failing, leaving, later] = subscribed_;
  Subscribe(first_, failing, 1);
  Subscribe(second_, leaving, 2);
  Subscribe(second_, later, 3);
  failing.sink.SetResult(E_FAIL);
  LONG heldAfterRelease = -1;
  leaving.sink.SetReaction([&] {
    leaving.sink.SetReaction(nullptr);
    second_.ReleaseAll();  // the subscriptions, their points and the server
    // The broadcast still holds the later subscription; it holds no sink any more.
    heldAfterRelease = later.sink.References();
  });
  char first[] = "first";
  char second[] = "second";
  EXPECT_TRUE(UserAEMessage(first, 1));
  EXPECT_TRUE(UserAEMessage(second, 1));
  EXPECT_EQ(failing.sink.Messages(), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(leaving.sink.Messages(), std::vector<std::string>{"first"});
  EXPECT_TRUE(later.sink.Messages().empty());
  EXPECT_EQ(heldAfterRelease, 0);
  EXPECT_EQ(leaving.sink.References(), 0);
}

TEST_F(EventDelivery, AnEventThatCannotBePackedIsNotSentAndPackedEventsAreFreed) {
  if (!TaskMemoryFailuresReachOnlyTheToolkit()) GTEST_SKIP() << "the system's own routines draw from the allocator";
  Subscribed& subscribed = subscribed_[0];
  Subscribe(first_, subscribed, 1);
  const size_t blocks = TaskMemoryLiveBlocks();
  TaskMemoryFailNextAllocations(1);
  EXPECT_TRUE(UserAEMessageEx(HostEvent(OLESTR("lost")).Get()));
  EXPECT_TRUE(UserAEMessageEx(HostEvent(OLESTR("sent")).Get()));
  EXPECT_EQ(subscribed.sink.Messages(), std::vector<std::string>{"sent"});
  EXPECT_EQ(subscribed.sink.Events()[0].attributes.size(), 2u);
  EXPECT_EQ(TaskMemoryLiveBlocks(), blocks);
}

TEST_F(EventDelivery, EventsRaisedWhileClientsComeAndGoReachTheSinksInTheOrderRaised) {
  const DWORD tag = NewTag("Plant.Pump.Speed");
  ASSERT_TRUE(SetItemLevelAlarm(tag, kHi, 100.0f, 500, TRUE));
  std::atomic<bool> stop{false};
  std::thread messages([&] {
    for (int i = 0; !stop; ++i) {
      std::string text = std::to_string(i);
      UserAEMessage(text.data(), 1);
    }
  });
  std::thread alarms([&] {
    for (int i = 0; !stop; ++i) {
      VARIANT speed = MakeR4(i % 2 == 0 ? 50.0f : 150.0f);
      UpdateTag(tag, speed, OPC_QUALITY_GOOD);
    }
  });
  std::vector<std::thread> clients;
  for (int c = 0; c < 3; ++c) {
    clients.emplace_back([&, c] {
      for (int round = 0; round < 20; ++round) {
        Subscribed subscribed;
        OpcTestClient client;
        ASSERT_EQ(client.Connect(), S_OK);
        Subscribe(client, subscribed, static_cast<OPCHANDLE>(c));
        Eventually([&] { return subscribed.sink.Events().size() >= 4; });
        // The server goes first now and then, leaving its subscription to the client.
        if (round % 2 == 0) client.Release(client.Server());
        client.ReleaseAll();
        int last = -1;
        for (const TestEventSink::Received& event : subscribed.sink.Events()) {
          if (event.eventType != OPC_SIMPLE_EVENT) continue;
          const int number = std::stoi(event.message);
          EXPECT_GT(number, last);
          last = number;
        }
      }
    });
  }
  for (std::thread& client : clients) client.join();
  stop = true;
  messages.join();
  alarms.join();
}
