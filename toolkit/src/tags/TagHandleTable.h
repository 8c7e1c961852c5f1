// The handles of the host's tags. Their numbers come from the issuer, by
// default the process's one table of handles, which also numbers groups,
// items and subscriptions: a handle is never 0 or 0xFFFFFFFF, is not reused
// while its tag lives, is issued again only after all other 32-bit values have
// been, and never names an object of another kind, so a stale or foreign
// handle finds nothing.
//
// An open-addressing table of the tags' live records: a lookup is one load of
// the slot and one of the live record it names (an update needs nothing else).
// A handle's home slot is the issuer's spreading (HandleHomeSlot): runs of
// four handles share a line, and tags made between other objects' handles do
// not pile up on the slots of older ones, as they would with the handle's low
// bits for a place. The tag's tree record is found through the issuer, which
// lists it under the handle. The caller holds the server lock for every call.
#pragma once

#include "tags/OPCTag.h"

#include "platform/handletable.h"
#include "platform/wintypes.h"

#include <cstdint>
#include <vector>

class TagHandleTable {
 public:
  explicit TagHandleTable(HandleTableBase& issuer = ProcessHandleTable()) : issuer_(issuer) {}

  // A new handle for the tag, which also stores it as its own (TagLive::handle).
  DWORD Add(OPCTag* tag);
  // The live record of the handle's tag, or NULL.
  TagLive* Lookup(DWORD handle) const {
    if (slots_.empty()) return nullptr;
    for (size_t slot = SlotOf(handle);; slot = (slot + 1) & (slots_.size() - 1)) {
      TagLive* tag = slots_[slot];
      if (tag == nullptr || tag->handle == handle) return tag;
    }
  }
  // The tree record of the handle's tag, or NULL.
  OPCTag* Owner(DWORD handle) const { return static_cast<OPCTag*>(issuer_.Lookup(handle, TagKind())); }
  // Unlists the handle; the tag keeps its record of it.
  void Remove(DWORD handle);
  size_t Count() const { return count_; }
  // How far from its home slot the furthest entry lies (lookups of unlisted
  // handles cost that many steps).
  size_t LongestDisplacement() const { return maxDisplacement_; }

 private:
  size_t SlotOf(DWORD handle) const { return HandleHomeSlot(handle, slotBits_); }
  void Grow();
  void Place(TagLive* tag);
  static const void* TagKind();

  // A power of two in size, at most 7/8 full; NULL marks an empty slot.
  std::vector<TagLive*> slots_;
  // log2 of the table's size.
  unsigned slotBits_ = 0;
  size_t count_ = 0;
  // The furthest any entry has been placed from its home slot since the last growth.
  size_t maxDisplacement_ = 0;
  HandleTableBase& issuer_;
};
