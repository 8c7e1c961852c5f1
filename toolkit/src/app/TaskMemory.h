// The allocators behind the library's memory helpers: the COM task allocator,
// which every block handed to a COM client comes from and which the server takes
// when it starts, and the library's own heap.
#pragma once

#include "platform/taskmemory.h"

#include <atomic>

class TaskMemory {
 public:
  TaskMemory() = default;
  ~TaskMemory();
  TaskMemory(const TaskMemory&) = delete;
  TaskMemory& operator=(const TaskMemory&) = delete;

  // Adopts one reference to the task allocator (as CoGetMalloc hands it out),
  // releasing the one held before; NULL leaves the library without one.
  void SetAllocator(IMalloc* allocator);

  // A zero-filled block from the task allocator; NULL while there is none or
  // when the allocation fails.
  void* Alloc(SIZE_T bytes) const;

  // A wide copy of an 8-bit text (Latin-1, terminator included) from the task
  // allocator or the library heap; NULL when the allocation fails or the text is NULL.
  WCHAR* AllocWideFromAnsi(const char* text, BOOL useTask) const;

  // Frees a block of Alloc or AllocWideFromAnsi to where it came from; NULL is ignored.
  void Free(void* block, BOOL useTask) const;

 private:
  void* AllocFrom(SIZE_T bytes, BOOL useTask) const;

  std::atomic<IMalloc*> allocator_{nullptr};
};
