// A node of the address-space tree. A leaf is a tag the host created and holds
// its full item name; a branch, made on the way down to a leaf, holds one name
// component. Branches have no handle. A node owns its children (kept in
// creation order) and its custom properties.
#pragma once

#include "Vorlix.h"
#include "app/RecordPool.h"
#include "tags/TagChildren.h"
#include "tags/TagLive.h"

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
// instead of between other heap blocks. What an update by handle touches,
// and the tag's other small fields, are in the node's TagLive record, so that
// updates stay off these records.
class OPCTag final : public PooledRecord<OPCTag> {
 public:
  static constexpr int kLevelAlarmCount = 4;

  // A record with the default value (VT_R4 0.0, quality uncertain, readable
  // only), stamped with the current time.
  OPCTag(OPCTag* parent, std::string name);
  ~OPCTag();
  OPCTag(const OPCTag&) = delete;
  OPCTag& operator=(const OPCTag&) = delete;

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

  bool HasHandle() const { return live->handle != VORLIX_INVALID_TAG; }

  // The custom properties, in the order they were added.
  const std::vector<std::unique_ptr<OPCTagProperty>>& Properties() const;
  // The four level alarms, LoLo first.
  const LevelAlarm* LevelAlarms() const;
  int AlarmLevel() const { return extras_ != nullptr ? extras_->alarmLevel : 0; }
  FILETIME AlarmTime() const { return extras_ != nullptr ? extras_->alarmTime : FILETIME{0, 0}; }

  // The value and what else an update by handle touches, in a record of its own.
  const std::unique_ptr<TagLive> live;
  OPCTag* parent;
  TagChildren children;
  std::string name;

 private:
  std::unique_ptr<TagExtras> extras_;

  TagExtras& Extras();
};

// With its live record, a tag takes two cache lines' worth of memory: most of
// a large database's memory is its records.
static_assert(sizeof(OPCTag) <= 64, "a tag's tree record is at most 64 bytes");


