// What a soak run counted and every problem it saw, shared by the host, the
// clients and the run. Counters are atomic; problems keep their first few
// texts (a fault repeats) and their total.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class SoakTally {
 public:
  // Client calls made (each COM method call counts one).
  std::atomic<uint64_t> clientCalls{0};
  // Host calls made (tag creations, updates, removals, batches).
  std::atomic<uint64_t> hostCalls{0};
  // Client sessions ended: connected, worked and gone.
  std::atomic<uint64_t> clientsServed{0};
  // Values that reached the clients' sinks, item by item.
  std::atomic<uint64_t> valuesDelivered{0};
  // Items whose last received value was compared with their tag's at the end.
  std::atomic<uint64_t> valuesCompared{0};

  void Problem(const std::string& text);
  std::vector<std::string> Problems() const;
  uint64_t ProblemCount() const;

 private:
  static constexpr size_t kKeptProblems = 20;
  mutable std::mutex mutex_;
  std::vector<std::string> problems_;
  uint64_t problemCount_ = 0;
};
