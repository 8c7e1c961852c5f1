// The least work a tag database must do, as the limits of the tag benchmarks:
// a plain vector of 56-byte records (value, quality, time stamp and room for
// the other words a tag carries) under one mutex, found by index, or by full
// name through an unordered_map. The toolkit's figures are measured beside it.
#pragma once

#include "platform/variant.h"
#include "platform/wintime.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <numeric>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

struct LimitTagRecord {
  VARIANT value;
  FILETIME timestamp;
  WORD quality;
  // Access words, handle, parent: what any record of a tag holds besides its value.
  BYTE otherWords[30];
};
static_assert(sizeof(LimitTagRecord) == 56, "the limit's record is 56 bytes");

class LimitTagDatabase {
 public:
  void Reserve(size_t count) {
    records_.reserve(count);
    byName_.reserve(count);
  }

  // Appends a record with its map entry.
  void Create(const std::string& name, const VARIANT& value, WORD quality) {
    std::lock_guard<std::mutex> hold(lock_);
    LimitTagRecord record{};
    VariantCopy(&record.value, &value);
    record.quality = quality;
    GetSystemTimeAsFileTime(&record.timestamp);
    records_.push_back(record);
    byName_.emplace(name, static_cast<uint32_t>(records_.size() - 1));
  }

  bool Update(size_t index, const VARIANT& value, WORD quality) {
    std::lock_guard<std::mutex> hold(lock_);
    return Store(records_[index], value, quality);
  }

  bool UpdateByName(const std::string& name, const VARIANT& value, WORD quality) {
    std::lock_guard<std::mutex> hold(lock_);
    const auto found = byName_.find(name);
    return found != byName_.end() && Store(records_[found->second], value, quality);
  }

  void Clear() {
    for (LimitTagRecord& record : records_) VariantClear(&record.value);
    records_.clear();
    byName_.clear();
  }

 private:
  static bool Store(LimitTagRecord& record, const VARIANT& value, WORD quality) {
    if (FAILED(VariantCopy(&record.value, &value))) return false;
    record.quality = quality;
    GetSystemTimeAsFileTime(&record.timestamp);
    return true;
  }

  std::mutex lock_;
  std::vector<LimitTagRecord> records_;
  std::unordered_map<std::string, uint32_t> byName_;
};

// The order in which the tags are visited: 0 creation order, 1 a fixed shuffle.
inline std::vector<uint32_t> VisitOrder(size_t count, bool shuffled) {
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  if (shuffled) std::shuffle(order.begin(), order.end(), std::mt19937(20261210));
  return order;
}

inline VARIANT R4Value(float value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R4;
  v.fltVal = value;
  return v;
}
