// The soak program: for the given number of minutes (a fraction is fine),
// in-process clients connect, work groups and items with every kind of call
// and leave, cleanly or not, while the host creates, updates and removes tags.
// At the end it checks each client's last received values against the tags,
// and that no task-allocator block and no thread is left over; it prints what
// it did and exits non-zero on any problem.
#include "support/soak/SoakRun.h"

#include <cstdio>
#include <cstdlib>
#include <random>

int main(int argc, char** argv) {
  const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
  if (minutes <= 0) {
    std::fprintf(stderr, "usage: %s [minutes]\n", argv[0]);
    return 2;
  }
  SoakSettings settings;
  settings.duration = std::chrono::milliseconds(static_cast<long long>(minutes * 60000));
  if (const char* threads = std::getenv("SOAK_CLIENT_THREADS")) settings.clientThreads = std::atoi(threads);
  // A run is repeated with the seed it printed.
  const char* seed = std::getenv("SOAK_SEED");
  settings.seed = seed != nullptr ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : std::random_device()();
  std::printf("soak: %.2f min, %d client threads, seed %u\n", minutes, settings.clientThreads, settings.seed);
  std::fflush(stdout);
  const SoakFigures figures = RunSoak(settings);
  std::printf("client calls       %llu\n", static_cast<unsigned long long>(figures.clientCalls));
  std::printf("host calls         %llu\n", static_cast<unsigned long long>(figures.hostCalls));
  std::printf("clients served     %llu\n", static_cast<unsigned long long>(figures.clientsServed));
  std::printf("values delivered   %llu\n", static_cast<unsigned long long>(figures.valuesDelivered));
  std::printf("values compared    %llu\n", static_cast<unsigned long long>(figures.valuesCompared));
  std::printf("memory (KiB)       %ld at start, %ld at end\n", figures.memoryAtStart, figures.memoryAtEnd);
  std::printf("threads            %d at start, %d at end\n", figures.threadsAtStart, figures.threadsAtEnd);
  std::printf("task blocks        %zu at start, %zu at end\n", figures.taskBlocksAtStart, figures.taskBlocksAtEnd);
  std::printf("problems           %llu\n", static_cast<unsigned long long>(figures.problemCount));
  for (const std::string& problem : figures.problems) std::printf("  %s\n", problem.c_str());
  std::printf("%s\n", figures.Passed() ? "PASSED" : "FAILED");
  return figures.Passed() ? 0 : 1;
}
