#pragma once

#include <mutex>
#include <vector>

// Records of one kind, in arrival order. Written by the server thread, read by
// tests.
template <typename Record>
class RecordLog {
public:
  void add(Record record) {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.push_back(std::move(record));
  }

  std::vector<Record> all() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return records_;
  }

  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.clear();
  }

private:
  mutable std::mutex mutex_;
  std::vector<Record> records_;
};
