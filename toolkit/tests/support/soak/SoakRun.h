// A soak run: the server started, the host changing tags and client threads
// coming and going for a given time, then a check that every client's last
// received values equal the tags', and that no task-allocator block and no
// thread is left over. Used by the soak program and by a short suite test.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct SoakSettings {
  std::chrono::milliseconds duration{3000};
  // Client threads, each serving one client session after another.
  int clientThreads = 6;
  unsigned seed = 1;
};

struct SoakFigures {
  uint64_t clientCalls = 0;
  uint64_t hostCalls = 0;
  uint64_t clientsServed = 0;
  uint64_t valuesDelivered = 0;
  uint64_t valuesCompared = 0;
  // Resident memory of the process, in KiB.
  long memoryAtStart = 0;
  long memoryAtEnd = 0;
  int threadsAtStart = 0;
  int threadsAtEnd = 0;
  size_t taskBlocksAtStart = 0;
  size_t taskBlocksAtEnd = 0;
  // The first problems seen, and how many there were.
  std::vector<std::string> problems;
  uint64_t problemCount = 0;

  bool Passed() const {
    return problemCount == 0 && threadsAtEnd == threadsAtStart && taskBlocksAtEnd == taskBlocksAtStart;
  }
};

SoakFigures RunSoak(const SoakSettings& settings);
