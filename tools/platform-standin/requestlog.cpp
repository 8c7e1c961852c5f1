#include "requestlog.h"

void RequestLog::add(RecordedRequest request) {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.push_back(std::move(request));
}

std::vector<RecordedRequest> RequestLog::all() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void RequestLog::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}
