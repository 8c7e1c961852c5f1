#include "platform/handletable.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

bool IsReserved(DWORD handle) { return handle == 0 || handle == 0xFFFFFFFF; }

// The fewest slots a table with entries has: 2^kLeastSlotBits.
constexpr unsigned kLeastSlotBits = 4;
static_assert(kLeastSlotBits >= 3, "HandleHomeSlot spreads runs of four over the table");

}  // namespace

inline size_t HandleTableBase::HomeOf(DWORD handle) const { return HandleHomeSlot(handle, slotBits_); }

inline size_t HandleTableBase::DisplacementAt(size_t slot) const {
  return (slot - HomeOf(slots_[slot].handle)) & (slots_.size() - 1);
}

// The entries of a run of occupied slots lie in the order of their home
// slots (Place lets an entry pass only those nearer their homes than it is),
// so a search ends at the first entry nearer its home than the handle
// searched for would be in that slot.
inline size_t HandleTableBase::Find(DWORD handle) const {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = HomeOf(handle), distance = 0;; slot = (slot + 1) & mask, ++distance) {
    const DWORD listed = slots_[slot].handle;
    if (listed == handle) return slot;
    if (listed == 0 || DisplacementAt(slot) < distance) return slots_.size();
  }
}

void HandleTableBase::Place(Entry entry) {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = HomeOf(entry.handle), distance = 0;; slot = (slot + 1) & mask, ++distance) {
    if (slots_[slot].handle == 0) {
      slots_[slot] = entry;
      return;
    }
    const size_t resident = DisplacementAt(slot);
    if (resident < distance) {
      std::swap(entry, slots_[slot]);
      distance = resident;
    }
  }
}

uint32_t HandleTableBase::KindNumber(const void* kind) {
  const auto known = std::find(kinds_.begin(), kinds_.end(), kind);
  if (known != kinds_.end()) return static_cast<uint32_t>(known - kinds_.begin());
  kinds_.push_back(kind);
  return static_cast<uint32_t>(kinds_.size() - 1);
}

void HandleTableBase::Resize(size_t capacity) {
  const std::vector<Entry> previous = std::exchange(slots_, std::vector<Entry>(capacity, Entry{0, 0, nullptr}));
  slotBits_ = 0;
  while ((size_t{1} << slotBits_) < capacity) ++slotBits_;
  for (const Entry& entry : previous) {
    if (entry.handle != 0) Place(entry);
  }
}

DWORD HandleTableBase::Add(void* object, const void* kind) {
  if (object == nullptr) return 0;
  std::lock_guard<std::mutex> guard(mutex_);
  const uint32_t kindNumber = KindNumber(kind);
  if ((count_ + 1) * 8 > slots_.size() * 7) Resize(std::max(slots_.size() * 2, size_t{1} << kLeastSlotBits));
  // Handles count up, so a removed one comes back only after the counter has
  // gone round all 32-bit values; listed ones are stepped over then. Until
  // the counter first goes round, every listed handle lies below it.
  do {
    if (++lastIssued_ == 0) counterWentRound_ = true;
  } while (IsReserved(lastIssued_) || (counterWentRound_ && Find(lastIssued_) != slots_.size()));
  Place(Entry{lastIssued_, kindNumber, object});
  ++count_;
  return lastIssued_;
}

void* HandleTableBase::Lookup(DWORD handle, const void* kind) const {
  std::lock_guard<std::mutex> guard(mutex_);
  if (slots_.empty() || IsReserved(handle)) return nullptr;
  const size_t slot = Find(handle);
  return slot != slots_.size() && kinds_[slots_[slot].kind] == kind ? slots_[slot].object : nullptr;
}

void* HandleTableBase::Remove(DWORD handle, const void* kind) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (slots_.empty() || IsReserved(handle)) return nullptr;
  const size_t slot = Find(handle);
  if (slot == slots_.size() || kinds_[slots_[slot].kind] != kind) return nullptr;
  void* object = slots_[slot].object;
  Unlist(slot);
  return object;
}

// Empties the slot and moves the rest of its run back by one slot, up to the
// first entry already in its home slot, so lookups need no removal markers.
// The table gives memory back as it empties: half the slots when fewer than
// one in eight is used, all of them with the last entry.
void HandleTableBase::Unlist(size_t slot) {
  const size_t mask = slots_.size() - 1;
  size_t hole = slot;
  for (size_t next = (hole + 1) & mask; slots_[next].handle != 0 && DisplacementAt(next) != 0;
       next = (next + 1) & mask) {
    slots_[hole] = slots_[next];
    hole = next;
  }
  slots_[hole] = Entry{0, 0, nullptr};
  --count_;
  if (count_ == 0) {
    std::vector<Entry>().swap(slots_);
    slotBits_ = 0;
  } else if (slots_.size() > (size_t{1} << kLeastSlotBits) && count_ * 8 < slots_.size()) {
    // Removals run in destructors: without memory for the smaller array the
    // table stays as it is (Resize changes nothing until it has the array).
    try {
      Resize(slots_.size() / 2);
    } catch (const std::bad_alloc&) {
    }
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
