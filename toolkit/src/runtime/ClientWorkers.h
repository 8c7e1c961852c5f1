// One worker thread per connected client. Each drains its client's queued
// requests and scans its groups, then waits for the next pulse of the update
// event; when the client's running flag is cleared (and the event pulsed) it
// leaves its loop and deletes the client object. Ended threads are joined, so
// none outlives the library.
#pragma once

#include "platform/wintypes.h"

#include <mutex>
#include <vector>

class OPCServer;
class UpdateTimer;

class ClientWorkers {
 public:
  // How long the shut-down waits for the workers to end: `steps` pulses of the
  // update event, `stepMilliseconds` apart.
  struct WaitLimit {
    DWORD stepMilliseconds;
    int steps;
  };
  static constexpr WaitLimit kDefaultWaitLimit = {100, 50};

  explicit ClientWorkers(UpdateTimer& timer) : timer_(timer) {}
  ClientWorkers(const ClientWorkers&) = delete;
  ClientWorkers& operator=(const ClientWorkers&) = delete;

  // Starts the worker of a new client; false (the count unchanged) when no
  // thread can start.
  bool Start(OPCServer* server);

  // Workers that have not yet ended.
  LONG Running() const;

  // Pulses the update event and waits while workers run, at most as long as
  // the wait limit allows.
  void WaitForWorkers() const;
  void SetWaitLimit(WaitLimit limit);

  // Joins every worker, giving each at most one step of the wait limit to
  // end; one still running then is left to end on its own.
  void JoinAll();

 private:
  static DWORD ThreadProc(LPVOID start);
  void Run(OPCServer* server);
  // Closes the handles of ended workers, joining them. The caller holds threadsMutex_.
  void JoinEndedLocked();

  UpdateTimer& timer_;
  mutable LONG running_ = 0;
  mutable std::mutex threadsMutex_;
  std::vector<HANDLE> threads_;
  WaitLimit waitLimit_ = kDefaultWaitLimit;
};
