// Fixed-size records of one type, carved from chunks of contiguous memory
// instead of one heap block each: no allocator header per record, records
// made one after another lie side by side (what walks and updates over many
// of them want), and a chunk starts on a cache line, so a record whose size is
// a multiple of 64 bytes keeps its first 64 bytes in one line.
//
// A class opts in by deriving from PooledRecord<T>. Freed records are kept for
// the next allocation of the type; the chunks stay with the process, as a
// heap's arenas do. Thread-safe. Under AddressSanitizer records come from the
// ordinary heap, so that use after free is still caught.
#pragma once

#include <cstddef>
#include <mutex>
#include <new>
#include <type_traits>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ZELVO_RECORD_POOL_PLAIN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVO_RECORD_POOL_PLAIN_HEAP 1
#endif
#endif

class RecordPoolBase {
 public:
  explicit RecordPoolBase(size_t recordSize);
  // Frees the chunks: every record must have been freed (a type's own pool is
  // never destroyed).
  ~RecordPoolBase();
  RecordPoolBase(const RecordPoolBase&) = delete;
  RecordPoolBase& operator=(const RecordPoolBase&) = delete;

  // A record's worth of uninitialised memory; std::bad_alloc when none can be had.
  void* Allocate();
  // Null when none can be had.
  void* TryAllocate() noexcept;
  void Free(void* record) noexcept;

  // Records handed out and not yet freed.
  size_t InUse() const;

 private:
  // Under mutex_.
  bool AddChunk() noexcept;

  struct FreeRecord {
    FreeRecord* next;
  };

  const size_t recordSize_;
  mutable std::mutex mutex_;
  FreeRecord* freeList_ = nullptr;
  // Never-used records at the end of the newest chunk.
  char* fresh_ = nullptr;
  char* freshEnd_ = nullptr;
  size_t nextChunkRecords_;
  size_t inUse_ = 0;
  std::vector<void*> chunks_;
};

// The pool of one record type; never destroyed, since records may be freed
// while the process exits.
template <class T>
RecordPoolBase& RecordPoolOf() {
  static RecordPoolBase* const pool = new RecordPoolBase(sizeof(T));
  return *pool;
}

// The record type must be final: every record of the pool has its size.
template <class T>
class PooledRecord {
 public:
#ifndef ZELVO_RECORD_POOL_PLAIN_HEAP
  static void* operator new(size_t size) {
    static_assert(std::is_final<T>::value, "pooled records are final");
    (void)size;
    return RecordPoolOf<T>().Allocate();
  }
  static void* operator new(size_t size, const std::nothrow_t&) noexcept {
    static_assert(std::is_final<T>::value, "pooled records are final");
    (void)size;
    return RecordPoolOf<T>().TryAllocate();
  }
  static void operator delete(void* record) noexcept {
    if (record != nullptr) RecordPoolOf<T>().Free(record);
  }
  static void operator delete(void* record, const std::nothrow_t&) noexcept {
    if (record != nullptr) RecordPoolOf<T>().Free(record);
  }
#endif

 protected:
  PooledRecord() = default;
  ~PooledRecord() = default;
};
