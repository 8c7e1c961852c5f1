#include "runtime/UpdatePulse.h"

uint64_t UpdatePulse::Count() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return count_;
}

void UpdatePulse::Pulse() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    ++count_;
  }
  pulsed_.notify_all();
}

void UpdatePulse::WaitAfter(uint64_t seen) {
  std::unique_lock<std::mutex> lock(mutex_);
  pulsed_.wait(lock, [&] { return count_ != seen; });
}
