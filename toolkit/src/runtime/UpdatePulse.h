// The update event that paces the client worker threads: manual-reset and only
// ever pulsed. A worker notes the pulse count before its scan and waits for a
// pulse after that count, so a pulse that comes while it scans, or between its
// scan and its wait, is never lost (a system event's PulseEvent releases only
// the threads already waiting, and loses it).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class UpdatePulse {
 public:
  uint64_t Count() const;
  // Releases every worker waiting now and every worker that noted an earlier count.
  void Pulse();
  // Returns once a pulse came after `seen` was noted (at once when one has).
  void WaitAfter(uint64_t seen);

 private:
  mutable std::mutex mutex_;
  std::condition_variable pulsed_;
  uint64_t count_ = 0;
};
