// The host's open batch of tag updates: the tags updated since StartUpdateTags,
// in order and with repeats, and the level-alarm events they raised. The host's
// thread holds the server lock for as long as the batch is open, so whoever
// holds the lock and finds a batch open is its owner.
#pragma once

#include "ae/COPCEvent.h"

#include "platform/wintypes.h"

#include <memory>
#include <vector>

class TagBatch {
 public:
  bool IsOpen() const { return open_; }
  // Opens an empty batch.
  void Open();
  void AddTag(DWORD handle) { tags_.push_back(handle); }
  void AddEvent(std::unique_ptr<COPCEvent> event) { events_.push_back(std::move(event)); }
  // The handles of the updated tags, in update order.
  const std::vector<DWORD>& Tags() const { return tags_; }
  // Closes and empties the batch; its events, in the order they were raised.
  std::vector<std::unique_ptr<COPCEvent>> Close();

 private:
  bool open_ = false;
  std::vector<DWORD> tags_;
  std::vector<std::unique_ptr<COPCEvent>> events_;
};
