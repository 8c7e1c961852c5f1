#include "com/ObjectLifetime.h"

#include "app/CVorlixApp.h"

ObjectLifetime::ObjectLifetime(const char* className, LONG pins) : className_(className), pins_(pins) {}

LONG ObjectLifetime::AddRef() {
  const LONG count = ++references_;
  VorlixApp().TraceCount(className_, "AddRef", count);
  return count;
}

LONG ObjectLifetime::Release() {
  // Never below 0: the count is only lowered from a value above it.
  LONG count = references_.load();
  while (count > 0 && !references_.compare_exchange_weak(count, count - 1)) {
  }
  VorlixApp().TraceCount(className_, "Release", count);
  return count;
}

void ObjectLifetime::Pin() { pins_.fetch_add(1); }

bool ObjectLifetime::Unpin() {
  if (pins_.fetch_sub(1) != 1) return false;
  // Signalled under the mutex: a waiting owner deletes the object only after
  // this thread has let go of it.
  std::lock_guard<std::mutex> guard(mutex_);
  lastUnpinned_ = true;
  unpinned_.notify_all();
  return true;
}

void ObjectLifetime::UnpinAndWait() {
  if (Unpin()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  unpinned_.wait(lock, [this] { return lastUnpinned_; });
}
