#include "app/TaskMemory.h"

#include "platform/widetext.h"

#include <cstdlib>
#include <cstring>

TaskMemory::~TaskMemory() { SetAllocator(nullptr); }

void TaskMemory::SetAllocator(IMalloc* allocator) {
  IMalloc* previous = allocator_.exchange(allocator);
  if (previous != nullptr) previous->Release();
}

void* TaskMemory::Alloc(SIZE_T bytes) const {
  void* block = AllocFrom(bytes, TRUE);
  if (block != nullptr) std::memset(block, 0, bytes);
  return block;
}

WCHAR* TaskMemory::AllocWideFromAnsi(const char* text, BOOL useTask) const {
  if (text == nullptr) return nullptr;
  const WideString wide = WidenAnsi(text);
  const SIZE_T bytes = (wide.size() + 1) * sizeof(WCHAR);
  auto* copy = static_cast<WCHAR*>(AllocFrom(bytes, useTask));
  if (copy != nullptr) std::memcpy(copy, wide.c_str(), bytes);
  return copy;
}

void TaskMemory::Free(void* block, BOOL useTask) const {
  if (block == nullptr) return;
  if (!useTask) {
    std::free(block);
    return;
  }
  // The process has one task allocator: a block stays freeable after the
  // library has let go of its reference.
  CoTaskMemFree(block);
}

void* TaskMemory::AllocFrom(SIZE_T bytes, BOOL useTask) const {
  if (!useTask) return std::malloc(bytes == 0 ? 1 : bytes);
  IMalloc* allocator = allocator_.load();
  return allocator != nullptr ? allocator->Alloc(bytes) : nullptr;
}
