// Where an owner keeps one interface holder: empty until the first request for
// the interface, then the same holder for every later request, deleted with
// the slot. Concurrent first requests keep one holder and discard the others.
#pragma once

#include "com/InterfaceHolder.h"

#include <atomic>

class HolderSlot {
 public:
  HolderSlot() = default;
  ~HolderSlot() { delete holder_.load(); }
  HolderSlot(const HolderSlot&) = delete;
  HolderSlot& operator=(const HolderSlot&) = delete;

  // The holder's interface; `make()` builds the holder when there is none yet.
  // NULL when it cannot (no memory).
  template <class Make>
  IUnknown* Get(Make make) {
    InterfaceHolderBase* holder = holder_.load();
    if (holder == nullptr) {
      InterfaceHolderBase* made = make();
      if (made == nullptr) return nullptr;
      if (holder_.compare_exchange_strong(holder, made)) {
        holder = made;
      } else {
        delete made;
      }
    }
    return holder->Interface();
  }

  // Deletes the holder now, for owners that let go of their holders in an
  // order of their own; the slot is empty afterwards.
  void Clear() { delete holder_.exchange(nullptr); }

  // The holder, or NULL while none was asked for.
  InterfaceHolderBase* Existing() const { return holder_.load(); }

 private:
  std::atomic<InterfaceHolderBase*> holder_{nullptr};
};
