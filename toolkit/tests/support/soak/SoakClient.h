// One session of a soak client, on the thread that makes it: it connects,
// perhaps listens for shutdown requests, adds groups with items and sinks,
// works them and the server with random calls, and leaves (early when the
// host asks it to) in one of four ways: cleanly (sinks unadvised, groups
// removed), by releasing the server while still holding its groups, by
// releasing its groups without removing them or unadvising, or by removing
// its groups by force while holding them. When the run winds down during the
// session it stops calling, waits for the check and compares what it received.
#pragma once

#include "support/soak/SoakHost.h"
#include "support/soak/SoakTally.h"

#include <atomic>
#include <random>

// Where a run is, shared by the run and its client threads.
struct SoakSchedule {
  // Clients work while the host changes tags, then a while longer on their
  // own (so that a client's write is the last change of some tags), go quiet,
  // check, and leave once every client has checked.
  enum Stage { kWorking, kHostStopped, kQuiet, kChecking, kLeaving };
  std::atomic<int> stage{kWorking};
  // Client threads that have stopped calling, and those that have checked.
  std::atomic<int> quietClients{0};
  std::atomic<int> checkedClients{0};
};

class SoakClient {
 public:
  SoakClient(SoakTally& tally, const SoakHost& host, SoakSchedule& schedule, unsigned seed);
  SoakClient(const SoakClient&) = delete;
  SoakClient& operator=(const SoakClient&) = delete;

  // One session, from connecting to leaving. True when the run wound down
  // during it (the client has gone quiet and made its check).
  bool Live();

 private:
  SoakTally& tally_;
  const SoakHost& host_;
  SoakSchedule& schedule_;
  std::mt19937 random_;
};
