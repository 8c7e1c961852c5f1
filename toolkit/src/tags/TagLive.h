// What an update by handle reads and writes of a tag: its value, quality and
// time stamp, its update count, its client items and their bookkeeping, and
// its handle; and, where the record has room, the tag's other small fields,
// so that the tree record (OPCTag) keeps only names, links and the rarely
// present extras. Each node of the tag tree owns one; the handle table lists
// these records, so an update finds everything it touches in one 64-byte
// record.
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

class TagClientItems;

class TagLive final : public PooledRecord<TagLive> {
 public:
  // The default value (VT_R4 0.0, quality uncertain), stamped with the current
  // time; readable only, visible.
  TagLive();
  ~TagLive();
  TagLive(const TagLive&) = delete;
  TagLive& operator=(const TagLive&) = delete;

  // Replaces the value by a copy of `newValue`, whose type becomes the tag's
  // canonical type. When the copy fails the old value stays and the error is returned.
  HRESULT SetValue(const VARIANT& newValue);

  // SetValue, then quality and timestamp, and counts the update; on failure nothing changes.
  HRESULT Update(const VARIANT& newValue, WORD newQuality, const FILETIME& newTimestamp);

  // Whether an update may raise a level event (OPCTag::EvaluateLevelAlarms): a
  // tag whose level alarms were never set stays in the normal level, and its
  // tree record need not be read.
  bool MayRaiseLevelEvent(BOOL eventsOn) const { return eventsOn && levelAlarmsSet; }

  VARIANT value;
  FILETIME timestamp;
  // The client items naming the tag, in update order; NULL when none does.
  TagClientItems* clientItems = nullptr;
  // Updates so far, modulo 2^32: tells a client write whether the host
  // updated the tag while its write callback ran.
  uint32_t updates = 0;
  DWORD handle = VORLIX_INVALID_TAG;
  // Client items naming the tag.
  int refCount = 0;
  WORD quality;
  // Set once the host sets a level alarm of the tag: until then its level is
  // and stays normal, and an update need not look at its alarms.
  bool levelAlarmsSet = false;
  // Whether a client may see the tag (the host can suspend it).
  bool visible = true;
  // The smallest update rate of the client items naming the tag, 0 when none.
  DWORD fastestClientRate = 0;
  // Bit 0 readable (read word), bit 1 writable (write word); the high 16 bits
  // carry the NT access level a client needs.
  DWORD readAccess = 1;
  DWORD writeAccess = 0;
  // Where the hash index keeps the tag's record, -1 when it is not entered.
  int32_t hashSlot = -1;
};

static_assert(sizeof(TagLive) == 64 + kVariantBytesBeyond16, "a tag's live record is one cache line (with a 16-byte VARIANT)");
