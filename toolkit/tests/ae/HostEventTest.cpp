#include "app/CVorlixApp.h"
#include "support/EventLog.h"
#include "support/HostCalls.h"

#include "platform/wintime.h"

#include <gtest/gtest.h>

TEST(HostEvent, UserMessagesAreSimpleEventsForEverySubscription) {
  EventLog events;
  std::string message = "Pump started";
  EXPECT_TRUE(UserAEMessage(message.data(), 300));
  EXPECT_TRUE(UserAEMessage(nullptr, 5));
  ASSERT_EQ(events.Size(), 2u);
  const ONEVENTSTRUCT& event = events[0];
  EXPECT_EQ(NarrowAnsi(event.szSource).value(), "User Message");
  EXPECT_EQ(NarrowAnsi(event.szMessage).value(), "Pump started");
  EXPECT_EQ(event.dwSeverity, 300u);
  EXPECT_EQ(event.dwEventType, OPC_SIMPLE_EVENT);
  EXPECT_EQ(event.dwEventCategory, 1u);
  EXPECT_EQ(NarrowAnsi(event.szConditionName).value(), "");
  EXPECT_EQ(event.wChangeMask | event.wNewState | event.wQuality, 0);
  EXPECT_EQ(event.dwNumEventAttrs, 0u);
  EXPECT_EQ(events.Entries()[0].subscription, 0u);
  EXPECT_FALSE(events.Entries()[0].refresh);
  EXPECT_FALSE(events.Entries()[0].lastRefresh);
  EXPECT_EQ(NarrowAnsi(events[1].szMessage).value(), "");
  EXPECT_EQ(events[1].dwSeverity, 5u);
}

namespace {

// An event as a host fills it in, with one text attribute.
class HostEventStruct {
 public:
  HostEventStruct() {
    event_ = ONEVENTSTRUCT{OPC_CHANGE_ACTIVE_STATE | OPC_CHANGE_SEVERITY,
                           OPC_CONDITION_ENABLED,
                           source_.data(),
                           {0x1000, 0x01D50000},
                           message_.data(),
                           OPC_CONDITION_EVENT,
                           7,
                           650,
                           condition_.data(),
                           subcondition_.data(),
                           OPC_QUALITY_GOOD,
                           0,
                           TRUE,
                           {0x2000, 0x01D50000},
                           4242,
                           1,
                           &attribute_,
                           actor_.data()};
  }
  ~HostEventStruct() { VariantClear(&attribute_); }
  HostEventStruct(const HostEventStruct&) = delete;
  HostEventStruct& operator=(const HostEventStruct&) = delete;

  const ONEVENTSTRUCT& Get() const { return event_; }

 private:
  WideString source_ = OLESTR("Boiler\u00E9\u4E2D");
  WideString message_ = OLESTR("Pressure high");
  WideString condition_ = OLESTR("Pressure");
  WideString subcondition_ = OLESTR("High");
  WideString actor_ = OLESTR("Operator");
  VARIANT attribute_ = MakeBstr(OLESTR("attribute"));
  ONEVENTSTRUCT event_;
};

}  // namespace

TEST(HostEvent, EventsGivenFieldByFieldKeepTheirFieldsAndCopyTheirTexts) {
  EventLog events;
  {
    const HostEventStruct given;
    EXPECT_TRUE(UserAEMessageEx(given.Get()));
  }
  ASSERT_EQ(events.Size(), 1u);
  const ONEVENTSTRUCT& event = events[0];
  // Texts pass through the ANSI code page (GBK) and come back as given.
  EXPECT_EQ(WideString(event.szSource), OLESTR("Boiler\u00E9\u4E2D"));
  EXPECT_EQ(WideString(event.szMessage), OLESTR("Pressure high"));
  EXPECT_EQ(WideString(event.szConditionName), OLESTR("Pressure"));
  EXPECT_EQ(WideString(event.szSubconditionName), OLESTR("High"));
  EXPECT_EQ(WideString(event.szActorID), OLESTR("Operator"));
  EXPECT_EQ(event.wChangeMask, OPC_CHANGE_ACTIVE_STATE | OPC_CHANGE_SEVERITY);
  EXPECT_EQ(event.wNewState, OPC_CONDITION_ENABLED);
  EXPECT_EQ(event.ftTime.dwLowDateTime, 0x1000u);
  EXPECT_EQ(event.dwEventType, OPC_CONDITION_EVENT);
  EXPECT_EQ(event.dwEventCategory, 7u);
  EXPECT_EQ(event.dwSeverity, 650u);
  EXPECT_EQ(event.wQuality, OPC_QUALITY_GOOD);
  EXPECT_TRUE(event.bAckRequired);
  EXPECT_EQ(event.ftActiveTime.dwLowDateTime, 0x2000u);
  EXPECT_EQ(event.dwCookie, 4242u);
  // The host's attribute is gone by now: the event holds its own copy.
  ASSERT_EQ(event.dwNumEventAttrs, 1u);
  ASSERT_EQ(event.pEventAttributes[0].vt, VT_BSTR);
  EXPECT_EQ(WideString(event.pEventAttributes[0].bstrVal), OLESTR("attribute"));
  EXPECT_EQ(events.Entries()[0].subscription, 0u);
  EXPECT_FALSE(events.Entries()[0].refresh);
}

TEST(HostEvent, AnEventForOneSubscriptionCarriesItsHandleAndRefreshFlags) {
  EventLog events;
  const HostEventStruct given;
  EXPECT_TRUE(UserAEMessageEx2(42, given.Get(), TRUE, TRUE));
  EXPECT_TRUE(UserAEMessageEx2(0, given.Get(), TRUE, FALSE));
  ASSERT_EQ(events.Size(), 2u);
  EXPECT_EQ(events.Entries()[0].subscription, 42u);
  EXPECT_TRUE(events.Entries()[0].refresh);
  EXPECT_TRUE(events.Entries()[0].lastRefresh);
  EXPECT_EQ(events.Entries()[1].subscription, 0u);
  EXPECT_TRUE(events.Entries()[1].refresh);
  EXPECT_FALSE(events.Entries()[1].lastRefresh);
  EXPECT_EQ(WideString(events[0].szMessage), OLESTR("Pressure high"));
}
