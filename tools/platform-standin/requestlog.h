#pragma once

#include <mutex>
#include <vector>

#include "recordedrequest.h"

// Every request the stand-in received, in arrival order. Written by the
// server thread, read by tests.
class RequestLog {
public:
  void add(RecordedRequest request);
  std::vector<RecordedRequest> all() const;
  void clear();

private:
  mutable std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
};
