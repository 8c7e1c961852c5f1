#include "com/EnumeratorCursor.h"

HRESULT EnumeratorCursor::Skip(ULONG count, size_t size) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (position_ > size || count > size - position_) return S_FALSE;
  position_ += count;
  return S_OK;
}

void EnumeratorCursor::Reset() {
  std::lock_guard<std::mutex> guard(mutex_);
  position_ = 0;
}

ULONG EnumeratorCursor::Position() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return position_;
}
