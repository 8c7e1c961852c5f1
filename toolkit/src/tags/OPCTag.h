// A node of the address-space tree. A leaf is a tag the host created and holds
// its full item name; a branch, made on the way down to a leaf, holds one name
// component. Branches have no handle. A node owns its children (kept in
// creation order) and its custom properties.
#pragma once

#include "Vorlix.h"
#include "app/RecordPool.h"
#include "tags/TagChildren.h"

#include "platform/variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class COPCEvent;
class TagClientItems;
class OPCTagProperty;

// One of the four level alarms of a tag (LoLo, Lo, Hi, HiHi).
struct LevelAlarm {
  FLOAT limit;
  BOOL enabled;
  DWORD severity;
};

// What only some tags carry: custom properties, and level alarms once the host
// sets one. A tag without it has the default alarms, all disabled, and is in
// the normal alarm level.
struct TagExtras {
  TagExtras();
  ~TagExtras();
  std::vector<std::unique_ptr<OPCTagProperty>> properties;
  LevelAlarm levelAlarms[4];
  // 0 (normal) or the number of the active level alarm, and when it last changed.
  int alarmLevel = 0;
  FILETIME alarmTime = {0, 0};
};

// Records come from a pool: a large database's records lie side by side
// instead of between other heap blocks, and each starts on a cache line.
class OPCTag final : public PooledRecord<OPCTag> {
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

  // SetValue, then quality and timestamp, and counts the update; on failure nothing changes.
  HRESULT Update(const VARIANT& newValue, WORD newQuality, const FILETIME& newTimestamp);

  // The six standard item properties, then the custom ones in the order they
  // were added.
  int GetPropertyCount() const;
  // ID, description and type of the property at `index`; FALSE, outputs
  // untouched, for an index outside the list.
  BOOL GetPropertyInfo(int index, DWORD* id, std::string* description, VARTYPE* type) const;
  // Writes the property's value into `value`, whose old content is freed.
  // OPC_E_INVALID_PID, `value` untouched, for an ID the tag does not have.
  HRESULT GetPropertyValue(DWORD id, VARIANT* value) const;
  // Replaces the description and value of the custom property with that ID, or
  // appends a new one. FALSE for the IDs of the standard properties (6 and
  // below) and for a value that cannot be copied; nothing changes then.
  BOOL SetProperty(DWORD id, const std::string& description, const VARIANT& newValue);

  // Alarm 1 LoLo, 2 Lo, 3 Hi, 4 HiHi; FALSE, nothing changed or written, for
  // any other number.
  BOOL SetLevelAlarm(int alarm, FLOAT limit, DWORD severity, BOOL enabled);
  BOOL GetLevelAlarm(int alarm, FLOAT* limit, DWORD* severity, BOOL* enabled) const;

  // When level-alarm events are on and the current value puts the tag in
  // another alarm level: stores the level and the time (now), and gives the
  // event of the change. Otherwise nothing changes and there is no event.
  std::unique_ptr<COPCEvent> EvaluateLevelAlarms(BOOL eventsOn);

  // OPC_READABLE and OPC_WRITEABLE as the access words grant them, NT levels aside.
  DWORD AccessRights() const;

  bool HasHandle() const { return handle != VORLIX_INVALID_TAG; }

  // The custom properties, in the order they were added.
  const std::vector<std::unique_ptr<OPCTagProperty>>& Properties() const;
  // The four level alarms, LoLo first.
  const LevelAlarm* LevelAlarms() const;
  int AlarmLevel() const { return extras_ != nullptr ? extras_->alarmLevel : 0; }
  FILETIME AlarmTime() const { return extras_ != nullptr ? extras_->alarmTime : FILETIME{0, 0}; }

  // Fields ordered so that the record packs without holes, and what an update
  // reads and writes (value, time stamp, count, client items, handle, quality,
  // level alarms) fills the record's first cache line: most of a large tag
  // database's memory is its records, and updates in no order find them
  // anywhere in it, so an update should cost one line.
  VARIANT value;
  FILETIME timestamp;
  // Updates so far: tells a client write whether the host updated the tag
  // while its write callback ran.
  uint64_t updates = 0;
  // The client items naming the tag, in update order; NULL when none does.
  TagClientItems* clientItems = nullptr;
  DWORD handle = VORLIX_INVALID_TAG;
  // Client items naming the tag.
  int refCount = 0;
  WORD quality;
  BOOL visible = TRUE;

 private:
  // Beside the fields an update touches: an update evaluates the level alarms.
  std::unique_ptr<TagExtras> extras_;

 public:
  // The smallest update rate of the client items naming the tag, 0 when none.
  DWORD fastestClientRate = 0;
  // Bit 0 readable (read word), bit 1 writable (write word); the high 16 bits
  // carry the NT access level a client needs.
  DWORD readAccess = 1;
  DWORD writeAccess = 0;
  // Where the hash index keeps the record, -1 when it is not entered.
  int32_t hashSlot = -1;
  OPCTag* parent;
  TagChildren children;
  std::string name;

 private:
  TagExtras& Extras();
};

// Two whole cache lines: a pooled record then starts on a line, and the
// fields of an update stay within its first.
static_assert(sizeof(OPCTag) == 128, "a tag record is two cache lines");
