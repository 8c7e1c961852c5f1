// How long one of the library's shared objects lives (a client's server
// object, a group, an event subscription, the installed AE callback object),
// told by two counts kept in one place.
//
// References are the COM count that clients keep with AddRef and Release;
// both are traced, "<class>::AddRef(n)" with the new count and
// "<class>::Release(n)" with the count before. A Release beyond the last
// reference changes nothing and answers 0: a client's mistake never takes
// away a hold of the library's.
//
// Pins are the holds clients never see: the list the object is in, a walk
// over a snapshot of that list, a call in progress, and, for an object that
// lives as long as its clients hold it, each client reference. Whoever takes
// the last pin away deletes the object. An owner that must delete the object
// on a thread of its own (a client's worker thread its server object) keeps
// a pin from the start and, when it is done, waits for the others to go.
#pragma once

#include "platform/wintypes.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

class ObjectLifetime {
 public:
  // `className` names the object in the trace; `pins` are those it is made
  // with (its list's, or its deleting owner's).
  ObjectLifetime(const char* className, LONG pins);
  ObjectLifetime(const ObjectLifetime&) = delete;
  ObjectLifetime& operator=(const ObjectLifetime&) = delete;

  // One client reference more; the new count.
  LONG AddRef();
  // One client reference less: the count before, 0 when the client held none.
  LONG Release();
  LONG References() const { return references_.load(); }

  void Pin();
  // True when this took the last pin away: the caller deletes the object.
  bool Unpin();
  // Takes the caller's own pin away and returns once every other pin is gone.
  void UnpinAndWait();

 private:
  const char* const className_;
  std::atomic<LONG> references_{0};
  std::atomic<LONG> pins_;
  // Tells a waiting owner that the last pin went.
  std::mutex mutex_;
  std::condition_variable unpinned_;
  bool lastUnpinned_ = false;
};
