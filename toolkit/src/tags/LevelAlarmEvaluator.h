// The level a tag's value puts it in, and the condition event of entering a
// level. A tag's four alarms are numbered 1 LoLo, 2 Lo, 3 Hi, 4 HiHi; its level
// is the number of the active alarm, or 0 (normal).
#pragma once

#include "ae/COPCEvent.h"

#include <memory>

class OPCTag;

class LevelAlarmEvaluator {
 public:
  static constexpr int kNormalLevel = 0;

  // The alarms are tested HiHi, LoLo, Hi, Lo and the first active one wins. An
  // alarm is active when it is enabled and the value reads as a float at or
  // above its limit (Hi, HiHi) or at or below it (Lo, LoLo); a value that does
  // not read as a float activates none.
  static int LevelOf(const OPCTag& tag);

  // The event of the tag having entered its current alarm level at its alarm
  // time: condition "Level", the level's message and sub-condition, and the
  // severity of its alarm (0 for normal).
  static std::unique_ptr<COPCEvent> LevelEvent(const OPCTag& tag);
};
