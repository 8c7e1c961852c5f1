#include "tags/TagBatch.h"

#include <utility>

void TagBatch::Open() {
  tags_.clear();
  events_.clear();
  open_ = true;
}

std::vector<std::unique_ptr<COPCEvent>> TagBatch::Close() {
  open_ = false;
  tags_.clear();
  return std::exchange(events_, {});
}
