// The position of an enumerator over a fixed sequence, and the rules of Next,
// Skip, Reset and Clone that every enumerator of the library follows. Calls
// on one enumerator from several threads take turns.
#pragma once

#include "platform/hresult.h"
#include "platform/wintypes.h"

#include <mutex>

class EnumeratorCursor {
 public:
  explicit EnumeratorCursor(ULONG position = 0) : position_(position) {}
  EnumeratorCursor(const EnumeratorCursor&) = delete;
  EnumeratorCursor& operator=(const EnumeratorCursor&) = delete;

  // Hands out up to `requested` elements from the position on, out of `size`:
  // `fill(first, count)` writes the elements first .. first+count-1 to the
  // caller's array and returns false, having undone its writes, when it
  // cannot. A NULL `fetched` is allowed only when one element is asked for,
  // and a NULL array only when none is: E_POINTER. The position moves past
  // what was handed out; `fetched`, when given, receives the number. S_OK
  // when as many elements as requested were handed out, else S_FALSE;
  // E_OUTOFMEMORY, position unchanged and `fetched` 0, when `fill` fails.
  template <class Fill>
  HRESULT Next(ULONG requested, const void* elements, ULONG* fetched, size_t size, Fill fill) {
    if ((fetched == nullptr && requested != 1) || (elements == nullptr && requested != 0)) return E_POINTER;
    std::lock_guard<std::mutex> guard(mutex_);
    const ULONG left = position_ < size ? static_cast<ULONG>(size - position_) : 0;
    const ULONG count = requested < left ? requested : left;
    if (count != 0 && !fill(position_, count)) {
      if (fetched != nullptr) *fetched = 0;
      return E_OUTOFMEMORY;
    }
    position_ += count;
    if (fetched != nullptr) *fetched = count;
    return count == requested ? S_OK : S_FALSE;
  }

  // Moves on by `count` elements; S_FALSE, position unchanged, when fewer are left.
  HRESULT Skip(ULONG count, size_t size);
  void Reset();
  // Where a clone starts.
  ULONG Position() const;

 private:
  mutable std::mutex mutex_;
  ULONG position_;
};
