// A per-item array for a COM client: `count` zero-filled elements from the task
// allocator, owned by this object until Release hands them to the client, and
// freed with it otherwise, so that every way out of a call that fails lets go
// of what it took. Elements with blocks of their own (values, texts) are the
// user's to clear before the array goes.
#pragma once

#include "app/CVorlixApp.h"

#include <cstddef>

template <class T>
class TaskArray {
 public:
  // No array.
  TaskArray() = default;
  // The array, or none (false) when there is no task allocator or no memory.
  explicit TaskArray(size_t count) : elements_(static_cast<T*>(VorlixApp().TaskAlloc(sizeof(T) * count))) {}
  ~TaskArray() { VorlixApp().TaskFree(elements_, TRUE); }

  TaskArray(TaskArray&& other) noexcept : elements_(other.Release()) {}
  TaskArray& operator=(TaskArray&& other) noexcept {
    if (this != &other) {
      VorlixApp().TaskFree(elements_, TRUE);
      elements_ = other.Release();
    }
    return *this;
  }
  TaskArray(const TaskArray&) = delete;
  TaskArray& operator=(const TaskArray&) = delete;

  explicit operator bool() const { return elements_ != nullptr; }
  T* Get() const { return elements_; }
  T& operator[](size_t index) const { return elements_[index]; }

  // Hands the array over; the caller (in the end the client) frees it.
  T* Release() {
    T* const elements = elements_;
    elements_ = nullptr;
    return elements;
  }

 private:
  T* elements_ = nullptr;
};
