#include "platform/handletable.h"

#include <algorithm>

namespace {

bool IsReserved(DWORD handle) { return handle == 0 || handle == 0xFFFFFFFF; }

// The fewest slots a table with entries has: 2^kLeastSlotBits.
constexpr unsigned kLeastSlotBits = 4;

// Handles that differ only in these low bits share a home group of slots.
constexpr unsigned kRunBits = 2;
static_assert(kRunBits < kLeastSlotBits, "a table holds more than one run");

}  // namespace

// Four handles issued one after the other take four neighbouring slots (one
// cache line of entries), and the runs of four are spread over the table by
// multiplying by 2^32 divided by the golden ratio. Runs issued far apart so
// land apart too: with the handle's low bits alone as its slot, the handles of
// a wave issued long after the tags would fall on the tags' slots once the
// counter had gone round the table, and pile up in runs as long as the table.
inline size_t HandleTableBase::HomeOf(DWORD handle) const {
  const uint32_t run = static_cast<uint32_t>((handle >> kRunBits) * 0x9E3779B9u) >> (32 - (slotBits_ - kRunBits));
  return (run << kRunBits) | (handle & ((1u << kRunBits) - 1));
}

inline size_t HandleTableBase::Find(DWORD handle) const {
  const size_t mask = slots_.size() - 1;
  size_t slot = HomeOf(handle);
  while (slots_[slot].handle != handle && slots_[slot].handle != 0) slot = (slot + 1) & mask;
  return slot;
}

uint32_t HandleTableBase::KindNumber(const void* kind) {
  const auto known = std::find(kinds_.begin(), kinds_.end(), kind);
  if (known != kinds_.end()) return static_cast<uint32_t>(known - kinds_.begin());
  kinds_.push_back(kind);
  return static_cast<uint32_t>(kinds_.size() - 1);
}

void HandleTableBase::Resize(size_t capacity) {
  std::vector<Entry> old(capacity, Entry{0, 0, nullptr});
  old.swap(slots_);
  slotBits_ = 0;
  while ((size_t{1} << slotBits_) < capacity) ++slotBits_;
  for (const Entry& entry : old) {
    if (entry.handle != 0) slots_[Find(entry.handle)] = entry;
  }
}

DWORD HandleTableBase::Add(void* object, const void* kind) {
  if (object == nullptr) return 0;
  std::lock_guard<std::mutex> guard(mutex_);
  const uint32_t kindNumber = KindNumber(kind);
  if ((count_ + 1) * 8 > slots_.size() * 7) Resize(std::max(slots_.size() * 2, size_t{1} << kLeastSlotBits));
  // Handles count up, so a removed one comes back only after the counter has
  // gone round all 32-bit values; listed ones are stepped over then.
  size_t slot;
  do {
    ++lastIssued_;
  } while (IsReserved(lastIssued_) || slots_[slot = Find(lastIssued_)].handle != 0);
  slots_[slot] = Entry{lastIssued_, kindNumber, object};
  ++count_;
  return lastIssued_;
}

void* HandleTableBase::Lookup(DWORD handle, const void* kind) const {
  std::lock_guard<std::mutex> guard(mutex_);
  if (slots_.empty() || IsReserved(handle)) return nullptr;
  const Entry& entry = slots_[Find(handle)];
  return entry.handle == handle && kinds_[entry.kind] == kind ? entry.object : nullptr;
}

void* HandleTableBase::Remove(DWORD handle, const void* kind) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (slots_.empty() || IsReserved(handle)) return nullptr;
  const size_t slot = Find(handle);
  const Entry& entry = slots_[slot];
  if (entry.handle != handle || kinds_[entry.kind] != kind) return nullptr;
  void* object = entry.object;
  Unlist(slot);
  return object;
}

// Empties the slot and moves back every later entry of its run that the hole
// would cut off from its home slot, so lookups need no removal markers. The
// table gives memory back as it empties: half the slots when fewer than one
// in eight is used, all of them with the last entry.
void HandleTableBase::Unlist(size_t slot) {
  const size_t mask = slots_.size() - 1;
  size_t hole = slot;
  for (size_t next = (hole + 1) & mask; slots_[next].handle != 0; next = (next + 1) & mask) {
    // The entry may fill the hole unless its home lies after the hole.
    if (((next - HomeOf(slots_[next].handle)) & mask) >= ((next - hole) & mask)) {
      slots_[hole] = slots_[next];
      hole = next;
    }
  }
  slots_[hole] = Entry{0, 0, nullptr};
  --count_;
  if (count_ == 0) {
    std::vector<Entry>().swap(slots_);
    slotBits_ = 0;
  } else if (slots_.size() > (size_t{1} << kLeastSlotBits) && count_ * 8 < slots_.size()) {
    Resize(slots_.size() / 2);
  }
}

size_t HandleTableBase::Count() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return count_;
}

HandleTableBase& ProcessHandleTable() {
  static HandleTableBase* const table = new HandleTableBase;
  return *table;
}
