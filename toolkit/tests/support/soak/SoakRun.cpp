#include "support/soak/SoakRun.h"

#include "app/CVorlixApp.h"
#include "support/Eventually.h"
#include "support/RunningServer.h"
#include "support/ThreadCount.h"
#include "support/soak/SoakClient.h"
#include "support/soak/SoakHost.h"
#include "support/soak/SoakTally.h"

#include "platform/taskmemory.h"

#include <unistd.h>

#include <cstdio>
#include <thread>

namespace {

// How long the clients work on after the host has stopped.
constexpr std::chrono::milliseconds kClientsAlone{300};

// Resident memory in KiB, from the kernel's page counts.
long ResidentMemory() {
  long pages = 0;
  long resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

SoakFigures RunSoak(const SoakSettings& settings) {
  SoakFigures figures;
  SoakTally tally;
  RunningServer server(10);
  if (!server.Started()) {
    figures.problems.push_back("the server did not start");
    figures.problemCount = 1;
    return figures;
  }
  figures.threadsAtStart = ThreadCount();
  figures.taskBlocksAtStart = TaskMemoryLiveBlocks();
  figures.memoryAtStart = ResidentMemory();
  {
    SoakHost host(tally, settings.seed);
    host.Start();
    SoakSchedule schedule;
    std::vector<std::thread> clients;
    for (int c = 0; c < settings.clientThreads; ++c) {
      clients.emplace_back([&, c] {
        unsigned session = 0;
        bool quiet = false;
        while (!quiet && schedule.stage < SoakSchedule::kQuiet) {
          quiet = SoakClient(tally, host, schedule, settings.seed * 7919 + c * 104729 + ++session).Live();
        }
        if (!quiet) {
          ++schedule.quietClients;
          ++schedule.checkedClients;
        }
      });
    }
    std::this_thread::sleep_for(settings.duration);
    host.Stop();
    schedule.stage = SoakSchedule::kHostStopped;
    std::this_thread::sleep_for(kClientsAlone);
    schedule.stage = SoakSchedule::kQuiet;
    while (schedule.quietClients < settings.clientThreads) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    host.RemakeSome();
    schedule.stage = SoakSchedule::kChecking;
    while (schedule.checkedClients < settings.clientThreads) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    schedule.stage = SoakSchedule::kLeaving;
    for (std::thread& client : clients) client.join();
  }
  if (!Eventually([] { return VorlixApp().ClientThreadCount() == 0; })) {
    tally.Problem("a client's worker thread is still running");
  }
  figures.threadsAtEnd = ThreadCount();
  figures.taskBlocksAtEnd = TaskMemoryLiveBlocks();
  figures.memoryAtEnd = ResidentMemory();
  figures.clientCalls = tally.clientCalls;
  figures.hostCalls = tally.hostCalls;
  figures.clientsServed = tally.clientsServed;
  figures.valuesDelivered = tally.valuesDelivered;
  figures.valuesCompared = tally.valuesCompared;
  figures.problems = tally.Problems();
  figures.problemCount = tally.ProblemCount();
  return figures;
}
