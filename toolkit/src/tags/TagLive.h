// What an update by handle reads and writes of a tag: its value, quality and
// time stamp, its update count, its client items and their bookkeeping, and
// its handle. Each node of the tag tree (OPCTag) owns one and this points
// back to it; the handle table lists these records, so an update finds
// everything it touches in one 64-byte record.
//
// The records lie side by side in their pool, one cache line each: updates in
// no order over a large database then span half the memory that whole tag
// records would, and the page-table reach of the processor, not the lines an
// update touches, is what such updates wait on.
#pragma once

#include "Vorlix.h"
#include "ae/COPCEvent.h"
#include "app/RecordPool.h"

#include "platform/variant.h"

#include <cstdint>
#include <memory>

class OPCTag;
class TagClientItems;

class TagLive final : public PooledRecord<TagLive> {
 public:
  // The default value (VT_R4 0.0, quality uncertain), stamped with the current time.
  explicit TagLive(OPCTag* owner);
  ~TagLive();
  TagLive(const TagLive&) = delete;
  TagLive& operator=(const TagLive&) = delete;

  // Replaces the value by a copy of `newValue`, whose type becomes the tag's
  // canonical type. When the copy fails the old value stays and the error is returned.
  HRESULT SetValue(const VARIANT& newValue);

  // SetValue, then quality and timestamp, and counts the update; on failure nothing changes.
  HRESULT Update(const VARIANT& newValue, WORD newQuality, const FILETIME& newTimestamp);

  // The event of the tag's new alarm level after an update (OPCTag::EvaluateLevelAlarms);
  // a tag whose level alarms were never set has none, and its record is not read.
  std::unique_ptr<COPCEvent> EvaluateLevelAlarms(BOOL eventsOn) {
    if (!eventsOn || !levelAlarmsSet) return nullptr;
    return EvaluateOwnerLevelAlarms(eventsOn);
  }

  VARIANT value;
  FILETIME timestamp;
  // Updates so far: tells a client write whether the host updated the tag
  // while its write callback ran.
  uint64_t updates = 0;
  // The client items naming the tag, in update order; NULL when none does.
  TagClientItems* clientItems = nullptr;
  // The tag this is the live part of.
  OPCTag* const tag;
  DWORD handle = VORLIX_INVALID_TAG;
  // Client items naming the tag.
  int refCount = 0;
  WORD quality;
  // Set once the host sets a level alarm of the tag: until then its level is
  // and stays normal, and an update need not look at its alarms.
  bool levelAlarmsSet = false;
  // The smallest update rate of the client items naming the tag, 0 when none;
  // kept here, beside the count of client items, where the record had room.
  DWORD fastestClientRate = 0;

 private:
  std::unique_ptr<COPCEvent> EvaluateOwnerLevelAlarms(BOOL eventsOn);
};

static_assert(sizeof(TagLive) == 64, "a tag's live record is one cache line");
