#include "app/RecordPool.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

constexpr size_t kCacheLine = 64;
// The first chunk is small, so that a type with few records costs little; each
// next one doubles, up to about 2 MiB.
constexpr size_t kFirstChunkRecords = 32;
constexpr size_t kLargestChunkBytes = size_t{2} << 20;

size_t RoundUp(size_t size, size_t unit) { return (size + unit - 1) / unit * unit; }

}  // namespace

RecordPoolBase::RecordPoolBase(size_t recordSize)
    : recordSize_(RoundUp(std::max(recordSize, sizeof(FreeRecord)), alignof(std::max_align_t))),
      nextChunkRecords_(kFirstChunkRecords) {}

RecordPoolBase::~RecordPoolBase() {
  for (void* chunk : chunks_) ::operator delete(chunk, std::align_val_t(kCacheLine));
}

void* RecordPoolBase::Allocate() {
  void* record = TryAllocate();
  if (record == nullptr) throw std::bad_alloc();
  return record;
}

void* RecordPoolBase::TryAllocate() noexcept {
  std::lock_guard<std::mutex> guard(mutex_);
  void* record;
  if (freeList_ != nullptr) {
    record = freeList_;
    freeList_ = freeList_->next;
  } else {
    if (fresh_ == freshEnd_ && !AddChunk()) return nullptr;
    record = fresh_;
    fresh_ += recordSize_;
  }
  ++inUse_;
  return record;
}

void RecordPoolBase::Free(void* record) noexcept {
  std::lock_guard<std::mutex> guard(mutex_);
  FreeRecord* freed = static_cast<FreeRecord*>(record);
  freed->next = freeList_;
  freeList_ = freed;
  --inUse_;
}

size_t RecordPoolBase::InUse() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return inUse_;
}

bool RecordPoolBase::AddChunk() noexcept {
  const size_t bytes = RoundUp(nextChunkRecords_ * recordSize_, kCacheLine);
  if (chunks_.size() == chunks_.capacity()) {
    try {
      chunks_.reserve(chunks_.size() * 2 + 8);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  void* chunk = ::operator new(bytes, std::align_val_t(kCacheLine), std::nothrow);
  if (chunk == nullptr) return false;
  chunks_.push_back(chunk);
  fresh_ = static_cast<char*>(chunk);
  freshEnd_ = fresh_ + bytes / recordSize_ * recordSize_;
  if (nextChunkRecords_ * recordSize_ * 2 <= kLargestChunkBytes) nextChunkRecords_ *= 2;
  return true;
}
