// A host event the library cannot build is refused, not dropped in silence.
#include "support/EventLog.h"
#include "support/HostCalls.h"

#include "Vorlix.h"

#include <gtest/gtest.h>

namespace {

ONEVENTSTRUCT EventWithAttributes(DWORD count, VARIANT* attributes) {
  static WideString text = OLESTR("text");
  ONEVENTSTRUCT event{};
  event.szSource = event.szMessage = event.szConditionName = event.szSubconditionName = event.szActorID = text.data();
  event.dwEventType = OPC_SIMPLE_EVENT;
  event.dwNumEventAttrs = count;
  event.pEventAttributes = attributes;
  return event;
}

}  // namespace

TEST(HostEventRefusal, AnEventWhoseAttributesCannotBeReadIsRefused) {
  EventLog events;
  VARIANT bad;
  VariantInit(&bad);
  bad.vt = 0x7FFF;
  VARIANT good[2] = {MakeI4(1), bad};
  const ONEVENTSTRUCT cases[] = {
      EventWithAttributes(3, nullptr),
      EventWithAttributes(1, &bad),
      EventWithAttributes(2, good),
  };
  for (const ONEVENTSTRUCT& event : cases) {
    EXPECT_FALSE(UserAEMessageEx(event));
    EXPECT_FALSE(UserAEMessageEx2(0, event, FALSE, FALSE));
  }
  EXPECT_EQ(events.Size(), 0u);
  // Without attributes, or with good ones, it goes out.
  EXPECT_TRUE(UserAEMessageEx(EventWithAttributes(0, nullptr)));
  EXPECT_TRUE(UserAEMessageEx(EventWithAttributes(1, good)));
  EXPECT_EQ(events.Size(), 2u);
}
