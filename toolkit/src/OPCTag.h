// A node of the address-space tree. A leaf is a tag the host created and holds
// its full item name; a branch, made on the way down to a leaf, holds one name
// component. Branches have no handle. A node owns its children (kept in
// creation order) and its custom properties.
#pragma once

#include "Vorlix.h"

#include "platform/variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class COPCEvent;
class OPCTagProperty;

// One of the four level alarms of a tag (LoLo, Lo, Hi, HiHi).
struct LevelAlarm {
  FLOAT limit;
  BOOL enabled;
  DWORD severity;
};

class OPCTag {
 public:
  static constexpr int kLevelAlarmCount = 4;

  // A record with the default value (VT_R4 0.0, quality uncertain, readable
  // only), stamped with the current time.
  OPCTag(OPCTag* parent, std::string name);
  ~OPCTag();
  OPCTag(const OPCTag&) = delete;
  OPCTag& operator=(const OPCTag&) = delete;

  // Replaces the value by a copy of `newValue`, whose type becomes the tag's
  // canonical type. When the copy fails the old value stays and the error is returned.
  HRESULT SetValue(const VARIANT& newValue);

  // SetValue, then quality and timestamp; on failure nothing changes.
  HRESULT Update(const VARIANT& newValue, WORD newQuality, const FILETIME& newTimestamp);

  // The event of a change of alarm level that the current value causes, or
  // none. Level alarms are evaluated with the event side of the library; until
  // then no alarm can be enabled and no update raises an event.
  std::unique_ptr<COPCEvent> EvaluateLevelAlarms();

  // OPC_READABLE and OPC_WRITEABLE as the access words grant them, NT levels aside.
  DWORD AccessRights() const;

  bool HasHandle() const { return handle != VORLIX_INVALID_TAG; }

  OPCTag* parent;
  std::vector<std::unique_ptr<OPCTag>> children;
  std::vector<std::unique_ptr<OPCTagProperty>> properties;
  std::string name;
  BOOL visible = TRUE;
  VARIANT value;
  FILETIME timestamp;
  WORD quality;
  // Bit 0 readable (read word), bit 1 writable (write word); the high 16 bits
  // carry the NT access level a client needs.
  DWORD readAccess = 1;
  DWORD writeAccess = 0;
  DWORD handle = VORLIX_INVALID_TAG;
  // The smallest update rate of the client items naming the tag, 0 when none.
  DWORD fastestClientRate = 0;
  // 0 (normal) or the number of the active level alarm, and when it last changed.
  int alarmLevel = 0;
  FILETIME alarmTime = {0, 0};
  LevelAlarm levelAlarms[kLevelAlarmCount];
  // Client items naming the tag.
  int refCount = 0;
  // Where the hash index keeps the record, -1 when it is not entered.
  int64_t hashSlot = -1;
};
