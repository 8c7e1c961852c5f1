// 32-bit handles for objects whose handle the target platform takes from the
// object's address (tag handles, group and item server handles, event
// subscriptions). A handle is never 0 or 0xFFFFFFFF, is not reused while its
// object is listed, and is issued again only after all other 32-bit values have
// been, so a stale handle finds nothing. Looking up an unknown or removed handle
// gives null. All calls are thread-safe; keeping a looked-up object alive is the
// caller's business (its own lock, usually).
//
// A table may hold objects of several kinds: each entry keeps the kind it was
// added with, and a lookup or removal for another kind finds nothing, as an
// address taken for one kind of object names no object of another.
//
// Every tag, group, client item and subscription of the process holds a handle
// here, so an entry is kept to 16 bytes in one flat array with no allocation
// per handle: open addressing by the handle's number, linear probing in which
// an entry far from its home slot takes the slot of one nearer its own, and
// removal by moving later entries back (no removal markers). Kinds are a few
// static addresses; an entry holds its kind's number in the table's short
// list of the kinds it has seen.
#pragma once

#include "platform/wintypes.h"

#include <cstdint>
#include <mutex>
#include <vector>

class HandleTableBase {
 public:
  // Handles are issued from `lastIssued` + 1 on; tests start near the end of the range.
  explicit HandleTableBase(DWORD lastIssued = 0) : lastIssued_(lastIssued) {}

  // A new handle for a non-null object of that kind; 0 for a null object.
  DWORD Add(void* object, const void* kind = nullptr);
  // The object listed under the handle with that kind, or null.
  void* Lookup(DWORD handle, const void* kind = nullptr) const;
  // Unlists the handle when it has that kind; its object, or null when no
  // object of that kind was listed under it.
  void* Remove(DWORD handle, const void* kind = nullptr);
  size_t Count() const;

 private:
  // A slot whose handle is 0 is empty (0 is never issued).
  struct Entry {
    DWORD handle;
    uint32_t kind;  // index in kinds_
    void* object;
  };

  // The slot an entry for the handle is placed from.
  size_t HomeOf(DWORD handle) const;
  // How far the entry in the slot lies past its home slot.
  size_t DisplacementAt(size_t slot) const;
  // The slot holding the handle, or the number of slots when it is not listed.
  size_t Find(DWORD handle) const;
  // Puts the entry in the first free slot from its home, passing by entries
  // no nearer their homes than it is and pushing the others on.
  void Place(Entry entry);
  uint32_t KindNumber(const void* kind);
  void Resize(size_t capacity);
  void Unlist(size_t slot);

  mutable std::mutex mutex_;
  // Empty, or a power of two in size with at least one slot in eight empty.
  std::vector<Entry> slots_;
  // log2 of the number of slots.
  unsigned slotBits_ = 0;
  size_t count_ = 0;
  std::vector<const void*> kinds_;
  DWORD lastIssued_;
  // Whether the counter has passed 0xFFFFFFFF, so that the next number may
  // still be listed.
  bool counterWentRound_ = false;
};

// The home slot of a handle in an open-addressing table of 2^slotBits slots
// (3 to 32) keyed by handles issued in sequence. Four handles issued one after
// the other take four neighbouring slots (64 bytes of 16-byte entries), and
// the runs of four are spread over the table by multiplying by 2^32 divided
// by the golden ratio, so runs issued far apart land apart too. With the
// handle's low bits alone as its slot, handles issued long after others
// (tags created while clients' items came and went in between) fall on the
// earlier ones' slots once the counter has gone round the table's size, and
// pile up in runs as long as the table.
inline size_t HandleHomeSlot(DWORD handle, unsigned slotBits) {
  const uint32_t run = static_cast<uint32_t>((handle >> 2) * 0x9E3779B9u) >> (32 - (slotBits - 2));
  return (static_cast<size_t>(run) << 2) | (handle & 3u);
}

// The one table of the process from which every SharedHandleTable issues.
// Never destroyed: objects may give their handles back during exit.
HandleTableBase& ProcessHandleTable();

template <class T>
class HandleTable {
 public:
  explicit HandleTable(DWORD lastIssued = 0) : table_(lastIssued) {}

  DWORD Add(T* object) { return table_.Add(object); }
  T* Lookup(DWORD handle) const { return static_cast<T*>(table_.Lookup(handle)); }
  T* Remove(DWORD handle) { return static_cast<T*>(table_.Remove(handle)); }
  size_t Count() const { return table_.Count(); }

 private:
  HandleTableBase table_;
};

// Handles for objects of type T from the one process-wide table, shared by
// every kind that uses it: a handle issued for another type is unknown here,
// and no two objects listed at the same time, of any kinds, share a handle.
template <class T>
class SharedHandleTable {
 public:
  static DWORD Add(T* object) { return ProcessHandleTable().Add(object, Kind()); }
  static T* Lookup(DWORD handle) { return static_cast<T*>(ProcessHandleTable().Lookup(handle, Kind())); }
  static T* Remove(DWORD handle) { return static_cast<T*>(ProcessHandleTable().Remove(handle, Kind())); }

 private:
  // One address per type names its kind.
  static const void* Kind() {
    static const char kind = 0;
    return &kind;
  }
};
