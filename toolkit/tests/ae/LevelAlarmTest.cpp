#include "ae/InstalledAECallback.h"
#include "app/CVorlixApp.h"
#include "support/EventLog.h"
#include "support/HostCalls.h"

#include "platform/wintime.h"

#include <gtest/gtest.h>

namespace {

constexpr int kLoLo = 1;
constexpr int kLo = 2;
constexpr int kHi = 3;
constexpr int kHiHi = 4;

ULONGLONG Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeToTicks(now);
}

// The AE callback object installed now, or NULL.
const CLumoAExCallback* InstalledObject() {
  const Pinned<InstalledAECallback> installed = VorlixApp().AECallback();
  return installed ? &installed->Object() : nullptr;
}

// Updates the tag and frees the caller's copy of the value, as a host does.
void Update(DWORD tag, VARIANT value) {
  EXPECT_TRUE(UpdateTag(tag, value, OPC_QUALITY_GOOD));
  VariantClear(&value);
}

}  // namespace

TEST(LevelAlarm, EveryChangeOfLevelRaisesOneConditionEvent) {
  EventLog events;
  const DWORD tag = NewTag("Plant.Tank.Level");
  ASSERT_TRUE(SetItemLevelAlarm(tag, kHi, 100.0f, 500, TRUE));
  ASSERT_TRUE(SetItemLevelAlarm(tag, kHiHi, 120.0f, 700, TRUE));
  const ULONGLONG before = Now();
  for (float value : {50.0f, 110.0f, 130.0f, 130.0f, 90.0f}) Update(tag, MakeR4(value));
  const ULONGLONG after = Now();

  const struct {
    const char* message;
    const char* subcondition;
    DWORD severity;
    WORD state;
  } expected[] = {
      {"High Limit Exceeded", "High Limit", 500, OPC_CONDITION_ENABLED | OPC_CONDITION_ACTIVE},
      {"High High Limit Exceeded", "High High Limit", 700, OPC_CONDITION_ENABLED | OPC_CONDITION_ACTIVE},
      {"Normal Condition", "Normal", 0, OPC_CONDITION_ENABLED},
  };
  ASSERT_EQ(events.Size(), std::size(expected));
  for (size_t i = 0; i < events.Size(); ++i) {
    SCOPED_TRACE(i);
    const ONEVENTSTRUCT& event = events[i];
    EXPECT_EQ(NarrowAnsi(event.szMessage).value(), expected[i].message);
    EXPECT_EQ(NarrowAnsi(event.szSubconditionName).value(), expected[i].subcondition);
    EXPECT_EQ(event.dwSeverity, expected[i].severity);
    EXPECT_EQ(event.wNewState, expected[i].state);
    EXPECT_EQ(event.wChangeMask, OPC_CHANGE_ACTIVE_STATE);
    EXPECT_EQ(NarrowAnsi(event.szSource).value(), "Plant.Tank.Level");
    EXPECT_EQ(NarrowAnsi(event.szConditionName).value(), "Level");
    EXPECT_EQ(event.dwEventType, OPC_CONDITION_EVENT);
    EXPECT_EQ(event.dwEventCategory, 2u);
    EXPECT_EQ(event.wQuality, OPC_QUALITY_GOOD);
    EXPECT_FALSE(event.bAckRequired);
    EXPECT_EQ(event.dwCookie, tag);
    EXPECT_EQ(event.dwNumEventAttrs, 0u);
    EXPECT_EQ(event.pEventAttributes, nullptr);
    EXPECT_EQ(NarrowAnsi(event.szActorID).value(), "");
    EXPECT_EQ(FileTimeToTicks(event.ftActiveTime), 0u);
    EXPECT_GE(FileTimeToTicks(event.ftTime), before);
    EXPECT_LE(FileTimeToTicks(event.ftTime), after);
    EXPECT_EQ(events.Entries()[i].subscription, 0u);
    EXPECT_FALSE(events.Entries()[i].refresh);
  }
  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  EXPECT_EQ(FileTimeToTicks(app.TagFromHandle(tag)->AlarmTime()), FileTimeToTicks(events[2].ftTime));
}

TEST(LevelAlarm, LimitsCountAsReachedAndTheOrderIsHiHiLoLoHiLo) {
  struct Limit {
    int alarm;
    float limit;
    BOOL enabled;
  };
  const struct {
    std::vector<Limit> limits;
    VARIANT value;
    const char* message;  // NULL: no event
  } cases[] = {
      {{{kLo, 10.0f, TRUE}}, MakeR4(10.0f), "Low Limit Exceeded"},
      {{{kLoLo, 5.0f, TRUE}}, MakeR4(5.0f), "Low Low Limit Exceeded"},
      {{{kHi, 100.0f, TRUE}}, MakeR4(100.0f), "High Limit Exceeded"},
      {{{kHiHi, 120.0f, TRUE}}, MakeR4(120.0f), "High High Limit Exceeded"},
      {{{kHi, 100.0f, TRUE}}, MakeR4(99.9f), nullptr},
      {{{kHi, 100.0f, FALSE}}, MakeR4(150.0f), nullptr},
      {{{kLoLo, 200.0f, TRUE}, {kHiHi, 0.0f, TRUE}}, MakeR4(50.0f), "High High Limit Exceeded"},
      {{{kHi, 0.0f, TRUE}, {kLoLo, 200.0f, TRUE}}, MakeR4(50.0f), "Low Low Limit Exceeded"},
      {{{kLo, 200.0f, TRUE}, {kHi, 0.0f, TRUE}}, MakeR4(50.0f), "High Limit Exceeded"},
      {{{kHi, 100.0f, TRUE}}, MakeI4(150), "High Limit Exceeded"},
      {{{kHi, 100.0f, TRUE}}, MakeBstr(OLESTR(" 150.5 ")), "High Limit Exceeded"},
      {{{kLo, 10.0f, TRUE}}, MakeBstr(OLESTR("abc")), nullptr},
  };
  EventLog events;
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(n);
    const DWORD tag = NewTag("T" + std::to_string(n++));
    for (const Limit& limit : c.limits) ASSERT_TRUE(SetItemLevelAlarm(tag, limit.alarm, limit.limit, 1, limit.enabled));
    const size_t before = events.Size();
    Update(tag, c.value);
    if (c.message == nullptr) {
      EXPECT_EQ(events.Size(), before);
    } else {
      ASSERT_EQ(events.Size(), before + 1);
      EXPECT_EQ(NarrowAnsi(events[before].szMessage).value(), c.message);
    }
  }
}

TEST(LevelAlarm, AValueThatIsNoNumberReturnsTheTagToNormal) {
  EventLog events;
  const DWORD tag = NewTag("Text");
  ASSERT_TRUE(SetItemLevelAlarm(tag, kHi, 100.0f, 300, TRUE));
  Update(tag, MakeR4(150.0f));
  Update(tag, MakeBstr(OLESTR("abc")));
  ASSERT_EQ(events.Size(), 2u);
  EXPECT_EQ(NarrowAnsi(events[1].szMessage).value(), "Normal Condition");
  EXPECT_EQ(events[1].dwSeverity, 0u);
}

TEST(LevelAlarm, TimestampedAndBatchedUpdatesEvaluateUpdatesByNameDoNot) {
  EventLog events;
  const DWORD tag = NewTag("Batch.Tag");
  ASSERT_TRUE(SetItemLevelAlarm(tag, kHi, 100.0f, 300, TRUE));
  EXPECT_TRUE(UpdateTagByName(std::string("Batch.Tag").data(), MakeR4(150.0f), OPC_QUALITY_GOOD));
  EXPECT_EQ(events.Size(), 0u);

  const FILETIME stamp = {1, 1};
  EXPECT_TRUE(UpdateTagWithTimeStamp(tag, MakeR4(150.0f), OPC_QUALITY_BAD, stamp));
  ASSERT_EQ(events.Size(), 1u);
  EXPECT_EQ(events[0].wQuality, OPC_QUALITY_BAD);

  ASSERT_TRUE(StartUpdateTags());
  EXPECT_TRUE(UpdateTagToList(tag, MakeR4(50.0f), OPC_QUALITY_GOOD));
  EXPECT_TRUE(UpdateTagToList(tag, MakeR4(160.0f), OPC_QUALITY_GOOD));
  EXPECT_EQ(events.Size(), 1u);
  EXPECT_TRUE(EndUpdateTags());
  ASSERT_EQ(events.Size(), 3u);
  EXPECT_EQ(NarrowAnsi(events[1].szMessage).value(), "Normal Condition");
  EXPECT_EQ(NarrowAnsi(events[2].szMessage).value(), "High Limit Exceeded");
}

TEST(LevelAlarm, SetAndGetCheckTheHandleAndTheAlarmNumber) {
  const DWORD tag = NewTag("Alarmed");
  const struct {
    float limit;
    DWORD severity;
  } defaults[] = {{0.0f, 200}, {0.0f, 200}, {100.0f, 200}, {100.0f, 200}};
  for (int alarm = kLoLo; alarm <= kHiHi; ++alarm) {
    float limit = -1.0f;
    DWORD severity = 0;
    BOOL enabled = TRUE;
    ASSERT_TRUE(GetItemLevelAlarm(tag, alarm, &limit, &severity, &enabled)) << alarm;
    EXPECT_EQ(limit, defaults[alarm - 1].limit) << alarm;
    EXPECT_EQ(severity, defaults[alarm - 1].severity) << alarm;
    EXPECT_FALSE(enabled) << alarm;
  }

  ASSERT_TRUE(SetItemLevelAlarm(tag, kLo, -7.5f, 900, TRUE));
  float limit = 0.0f;
  DWORD severity = 0;
  BOOL enabled = FALSE;
  ASSERT_TRUE(GetItemLevelAlarm(tag, kLo, &limit, &severity, &enabled));
  EXPECT_EQ(limit, -7.5f);
  EXPECT_EQ(severity, 900u);
  EXPECT_TRUE(enabled);

  for (int alarm : {0, 5, -1}) {
    EXPECT_FALSE(SetItemLevelAlarm(tag, alarm, 1.0f, 1, TRUE)) << alarm;
    float untouchedLimit = 42.0f;
    DWORD untouchedSeverity = 42;
    BOOL untouchedEnabled = 42;
    EXPECT_FALSE(GetItemLevelAlarm(tag, alarm, &untouchedLimit, &untouchedSeverity, &untouchedEnabled)) << alarm;
    EXPECT_EQ(untouchedLimit, 42.0f);
    EXPECT_EQ(untouchedSeverity, 42u);
    EXPECT_EQ(untouchedEnabled, 42);
  }
  for (DWORD handle : std::initializer_list<DWORD>{0u, VORLIX_INVALID_TAG, tag + 1000}) {
    EXPECT_FALSE(SetItemLevelAlarm(handle, kHi, 1.0f, 1, TRUE)) << handle;
    EXPECT_FALSE(GetItemLevelAlarm(handle, kHi, &limit, &severity, &enabled)) << handle;
  }
  EXPECT_FALSE(GetItemLevelAlarm(tag, kHi, nullptr, &severity, &enabled));
  EXPECT_FALSE(GetItemLevelAlarm(tag, kHi, &limit, nullptr, &enabled));
  EXPECT_FALSE(GetItemLevelAlarm(tag, kHi, &limit, &severity, nullptr));
}

namespace {

// Counts its own destruction.
class CountingCallback : public CLumoAExCallback {
 public:
  explicit CountingCallback(int& destroyed) : destroyed_(destroyed) {}
  ~CountingCallback() override { ++destroyed_; }

 private:
  int& destroyed_;
};

}  // namespace

TEST(LevelAlarm, TheNoLevelAlarmsFlagStopsEventsAndFreezesTheLevel) {
  EventLog events;
  const DWORD tag = NewTag("Frozen");
  ASSERT_TRUE(SetItemLevelAlarm(tag, kHi, 100.0f, 300, TRUE));
  Update(tag, MakeR4(150.0f));
  ASSERT_EQ(events.Size(), 1u);

  int destroyed = 0;
  auto* callback = new CountingCallback(destroyed);
  EXPECT_TRUE(SetAEServerCallback(TRUE, callback));
  EXPECT_FALSE(VorlixApp().LevelAlarmEvents());
  Update(tag, MakeR4(50.0f));
  EXPECT_EQ(events.Size(), 1u);

  // Back on, the tag is still in the Hi level it had when events stopped.
  EXPECT_TRUE(SetAEServerCallback(FALSE, callback));
  EXPECT_TRUE(VorlixApp().LevelAlarmEvents());
  Update(tag, MakeR4(150.0f));
  EXPECT_EQ(events.Size(), 1u);
  Update(tag, MakeR4(50.0f));
  ASSERT_EQ(events.Size(), 2u);
  EXPECT_EQ(NarrowAnsi(events[1].szMessage).value(), "Normal Condition");
  EXPECT_EQ(destroyed, 0);
}

TEST(LevelAlarm, InstallingACallbackObjectDeletesTheOneBeforeOnce) {
  EXPECT_NE(InstalledObject(), nullptr);
  int firstDestroyed = 0;
  int secondDestroyed = 0;
  auto* first = new CountingCallback(firstDestroyed);
  auto* second = new CountingCallback(secondDestroyed);
  EXPECT_TRUE(SetAEServerCallback(FALSE, first));
  EXPECT_EQ(InstalledObject(), first);
  EXPECT_TRUE(SetAEServerCallback(FALSE, first));
  EXPECT_EQ(firstDestroyed, 0);
  EXPECT_TRUE(SetAEServerCallback(FALSE, second));
  EXPECT_EQ(firstDestroyed, 1);
  EXPECT_EQ(InstalledObject(), second);
  EXPECT_TRUE(SetAEServerCallback(FALSE, nullptr));
  EXPECT_EQ(firstDestroyed, 1);
  EXPECT_EQ(secondDestroyed, 1);
  EXPECT_EQ(InstalledObject(), nullptr);
}
