// Counts the internal users of an object (a walk over a snapshot, say) so that
// the one thread allowed to delete it can wait until none is left. It is not
// the object's COM reference count: clients never see it.
#pragma once

#include "platform/wintypes.h"

#include <condition_variable>
#include <mutex>

class KeepAlive {
 public:
  void Add();
  void Drop();
  // Returns once every Add has been matched by a Drop.
  void WaitUntilUnused();

 private:
  std::mutex mutex_;
  std::condition_variable unused_;
  LONG users_ = 0;
};
