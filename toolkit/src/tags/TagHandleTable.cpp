#include "tags/TagHandleTable.h"

#include <algorithm>
#include <utility>

namespace {
constexpr unsigned kFirstSlotBits = 6;
}  // namespace

const void* TagHandleTable::TagKind() {
  static const char kind = 0;
  return &kind;
}

DWORD TagHandleTable::Add(OPCTag* tag) {
  if ((count_ + 1) * 8 > slots_.size() * 7) Grow();
  // The number is taken in the issuer's table, so no group, item or
  // subscription listed at the same time has it: a handle of another kind
  // names no tag here.
  const DWORD handle = issuer_.Add(tag, TagKind());
  tag->live->handle = handle;
  Place(tag->live.get());
  ++count_;
  return handle;
}

void TagHandleTable::Remove(DWORD handle) {
  if (slots_.empty()) return;
  const size_t mask = slots_.size() - 1;
  size_t hole = SlotOf(handle);
  while (slots_[hole] != nullptr && slots_[hole]->handle != handle) hole = (hole + 1) & mask;
  if (slots_[hole] == nullptr) return;
  issuer_.Remove(handle, TagKind());
  slots_[hole] = nullptr;
  --count_;
  // Moves back every later entry of the run that the hole would cut off from
  // its home slot, so lookups need no removal markers. No entry lies further
  // from its home than the largest displacement, so the search ends there.
  for (size_t next = (hole + 1) & mask; slots_[next] != nullptr && ((next - hole) & mask) <= maxDisplacement_;
       next = (next + 1) & mask) {
    const size_t home = SlotOf(slots_[next]->handle);
    const bool homeAfterHole = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (homeAfterHole) continue;
    slots_[hole] = std::exchange(slots_[next], nullptr);
    hole = next;
  }
}

void TagHandleTable::Grow() {
  std::vector<TagLive*> old = std::move(slots_);
  slotBits_ = old.empty() ? kFirstSlotBits : slotBits_ + 1;
  slots_.assign(size_t{1} << slotBits_, nullptr);
  maxDisplacement_ = 0;
  for (TagLive* tag : old) {
    if (tag != nullptr) Place(tag);
  }
}

void TagHandleTable::Place(TagLive* tag) {
  size_t slot = SlotOf(tag->handle);
  size_t displacement = 0;
  for (; slots_[slot] != nullptr; ++displacement) slot = (slot + 1) & (slots_.size() - 1);
  slots_[slot] = tag;
  maxDisplacement_ = std::max(maxDisplacement_, displacement);
}
