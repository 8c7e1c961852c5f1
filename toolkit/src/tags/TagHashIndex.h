// An optional open-addressing index of tag records, which speeds up the two
// lookups of tag creation (does the full name exist, which branch node is next
// on the way down). The host switches it on with a size; it never grows.
//
// A record is entered under its key: a leaf under its full item name, a branch
// under the '.'-joined components from the top down to its own. A lookup walks
// the key's probe sequence and accepts an entry only when the caller's test
// says it is the record sought (names alone are not unique: a branch B exists
// under many parents). Removed entries leave a marker that lookups pass over
// and new entries may take, so no other key's sequence is cut. A lookup that
// ends at a never-used slot proves the record is not in the index; one that
// exhausts its probes proves nothing, and the caller searches the tree.
#pragma once

#include "platform/wintypes.h"

#include <cstdint>
#include <string_view>

class OPCTag;

class TagHashIndex {
 public:
  TagHashIndex() = default;
  ~TagHashIndex();
  TagHashIndex(const TagHashIndex&) = delete;
  TagHashIndex& operator=(const TagHashIndex&) = delete;

  // 0 (off) below 6; otherwise the smallest prime not below the request and not
  // below 11, or 0 when no such prime fits in 32 bits.
  static UINT TableSizeFor(UINT request);

  // CRC-32 (reflected IEEE polynomial, initial value 0xFFFFFFFF) without the
  // final inversion: "abc" gives 0xCADBBE3D.
  static DWORD Hash(std::string_view key) { return ContinueHash(kEmptyKeyHash, key); }
  // The hash of a key that continues one whose hash is `hash` by `more`: the
  // keys of a name's branches, which extend one another, are hashed in one pass.
  static DWORD ContinueHash(DWORD hash, std::string_view more);
  static constexpr DWORD kEmptyKeyHash = 0xFFFFFFFFu;

  // Drops every entry and makes an empty table of TableSizeFor(request) slots.
  // The size, or 0 when the index is off (also when the table cannot be
  // allocated, or would have more slots than a record can note).
  UINT Reset(UINT request);

  bool IsOn() const { return size_ != 0; }

  // What a walk along a key's probe sequence found.
  struct Probe {
    OPCTag* record = nullptr;  // the entry the caller's test accepted
    int64_t slot = -1;         // where that entry is
    int64_t freeSlot = -1;     // the first slot on the way that a new entry may take
    bool complete = false;     // ended at a never-used slot: the index holds no such record
    DWORD hash = 0;
  };

  template <class Accepts>
  Probe Find(std::string_view key, Accepts accepts) const {
    return FindByHash(Hash(key), accepts);
  }
  // Find, for a key whose hash the caller has.
  template <class Accepts>
  Probe FindByHash(DWORD hash, Accepts accepts) const;

  // Stores a record in a slot that Find reported free, under the hash of its key.
  void Store(int64_t slot, DWORD hash, OPCTag* record);
  bool IsFree(int64_t slot) const { return table_[slot].record == nullptr; }

  // Stores a record at the first free slot of its key's sequence: that slot, or
  // -1 when the sequence has none (the record is then found through the tree).
  int64_t Enter(std::string_view key, OPCTag* record) { return EnterByHash(Hash(key), record); }
  int64_t EnterByHash(DWORD hash, OPCTag* record);

  // Empties a slot that Store or Enter filled, leaving the removal marker.
  void Vacate(int64_t slot);

 private:
  // Zero bytes make a never-used entry, so the table comes zero-filled from the
  // system. An empty slot keeps in `hash` whether it ever held a record
  // (kVacated), so an entry is 12 bytes, not 16: the table is the index's
  // memory, and a smaller one also misses the cache less.
#pragma pack(push, 4)
  struct Entry {
    OPCTag* record;
    DWORD hash;
  };
#pragma pack(pop)
  static_assert(sizeof(Entry) == 12, "an index entry is a pointer and a hash");
  static constexpr DWORD kNeverUsed = 0;
  static constexpr DWORD kVacated = 1;

  // Probes after the first one before a sequence gives up.
  static constexpr int kFurtherProbes = 101;

  Entry* table_ = nullptr;
  uint64_t size_ = 0;
};

template <class Accepts>
TagHashIndex::Probe TagHashIndex::FindByHash(DWORD hash, Accepts accepts) const {
  Probe probe;
  probe.hash = hash;
  if (size_ == 0) return probe;
  // Slot and step (hash & 0xFF) + 11, both modulo the size: then the next slot
  // takes a subtraction, not a division.
  const uint32_t size = static_cast<uint32_t>(size_);
  const uint32_t step = ((hash & 0xFF) + 11) % size;
  uint32_t slot = hash % size;
  for (int i = 0; i <= kFurtherProbes; ++i, slot = slot < size - step ? slot + step : slot - (size - step)) {
    const Entry& entry = table_[slot];
    if (entry.record == nullptr) {
      if (probe.freeSlot < 0) probe.freeSlot = static_cast<int64_t>(slot);
      if (entry.hash == kNeverUsed) {
        probe.complete = true;
        return probe;
      }
    } else if (entry.hash == probe.hash && accepts(*entry.record)) {
      probe.record = entry.record;
      probe.slot = static_cast<int64_t>(slot);
      return probe;
    }
  }
  return probe;
}
