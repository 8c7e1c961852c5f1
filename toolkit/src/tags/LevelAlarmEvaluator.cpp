#include "tags/LevelAlarmEvaluator.h"

#include "tags/OPCTag.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kLoLo = 1;
constexpr int kLo = 2;
constexpr int kHi = 3;
constexpr int kHiHi = 4;
constexpr DWORD kLevelCategory = 2;

struct LevelTexts {
  const char* message;
  const char* subcondition;
};

// By level, 0 (normal) to 4 (HiHi).
constexpr LevelTexts kLevelTexts[] = {
    {"Normal Condition", "Normal"},
    {"Low Low Limit Exceeded", "Low Low Limit"},
    {"Low Limit Exceeded", "Low Limit"},
    {"High Limit Exceeded", "High Limit"},
    {"High High Limit Exceeded", "High High Limit"},
};

const LevelAlarm& Alarm(const OPCTag& tag, int level) { return tag.LevelAlarms()[level - 1]; }

}  // namespace

int LevelAlarmEvaluator::LevelOf(const OPCTag& tag) {
  // Most tags have no alarm: spare them the conversion.
  const LevelAlarm* alarms = tag.LevelAlarms();
  if (std::none_of(alarms, alarms + OPCTag::kLevelAlarmCount, [](const LevelAlarm& alarm) { return alarm.enabled; })) {
    return kNormalLevel;
  }
  VARIANT reading;
  VariantInit(&reading);
  if (FAILED(VariantChangeType(&reading, &tag.live->value, 0, VT_R4))) return kNormalLevel;
  const FLOAT value = reading.fltVal;
  for (int level : {kHiHi, kLoLo, kHi, kLo}) {
    const LevelAlarm& alarm = Alarm(tag, level);
    if (!alarm.enabled) continue;
    const bool high = level == kHi || level == kHiHi;
    if (high ? value >= alarm.limit : value <= alarm.limit) return level;
  }
  return kNormalLevel;
}

std::unique_ptr<COPCEvent> LevelAlarmEvaluator::LevelEvent(const OPCTag& tag) {
  const int level = tag.AlarmLevel();
  auto event = std::make_unique<COPCEvent>();
  event->changeMask = OPC_CHANGE_ACTIVE_STATE;
  event->newState = level == kNormalLevel ? OPC_CONDITION_ENABLED : OPC_CONDITION_ENABLED | OPC_CONDITION_ACTIVE;
  event->source = tag.name;
  event->time = tag.AlarmTime();
  event->message = kLevelTexts[level].message;
  event->conditionName = "Level";
  event->subconditionName = kLevelTexts[level].subcondition;
  event->eventType = OPC_CONDITION_EVENT;
  event->category = kLevelCategory;
  event->severity = level == kNormalLevel ? 0 : Alarm(tag, level).severity;
  event->quality = tag.live->quality;
  event->ackRequired = FALSE;
  event->cookie = tag.live->handle;
  return event;
}
