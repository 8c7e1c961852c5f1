// One host callback pointer. The host sets it from its own thread while library
// threads read it, so it is kept atomically; a caller loads it once and calls
// what it loaded.
#pragma once

#include "platform/wintypes.h"

#include <atomic>

template <class Proc>
class HostCallback {
 public:
  // Replaces the callback; NULL switches it off. TRUE when one is set.
  BOOL Set(Proc proc) {
    proc_.store(proc);
    return proc != nullptr ? TRUE : FALSE;
  }

  Proc Get() const { return proc_.load(); }

 private:
  std::atomic<Proc> proc_{nullptr};
};
