#include "runtime/ClientWorkers.h"

#include "app/CVorlixApp.h"
#include "da/server/OPCServer.h"
#include "runtime/UpdateTimer.h"

#include "platform/event.h"
#include "platform/interlocked.h"
#include "platform/threads.h"

#include <algorithm>

namespace {
struct WorkerStart {
  ClientWorkers* workers;
  OPCServer* server;
};
}  // namespace

bool ClientWorkers::Start(OPCServer* server) {
  auto* start = new WorkerStart{this, server};
  InterlockedIncrement(&running_);
  HANDLE thread = CreateThread(nullptr, 0, &ClientWorkers::ThreadProc, start, 0, nullptr);
  if (thread == nullptr) {
    InterlockedDecrement(&running_);
    delete start;
    return false;
  }
  std::lock_guard<std::mutex> guard(threadsMutex_);
  JoinEndedLocked();
  threads_.push_back(thread);
  return true;
}

LONG ClientWorkers::Running() const { return InterlockedCompareExchange(&running_, 0, 0); }

void ClientWorkers::WaitForWorkers() const {
  WaitLimit limit;
  {
    std::lock_guard<std::mutex> guard(threadsMutex_);
    limit = waitLimit_;
  }
  for (int step = 0; step < limit.steps && Running() > 0; ++step) {
    timer_.Pulse();
    Sleep(limit.stepMilliseconds);
  }
}

void ClientWorkers::SetWaitLimit(WaitLimit limit) {
  std::lock_guard<std::mutex> guard(threadsMutex_);
  waitLimit_ = limit;
}

void ClientWorkers::JoinAll() {
  std::lock_guard<std::mutex> guard(threadsMutex_);
  // A worker that has just counted itself out is still on its way out of its
  // thread; one more step of the wait limit is plenty for that.
  for (HANDLE thread : threads_) {
    WaitForSingleObject(thread, waitLimit_.stepMilliseconds);
    CloseHandle(thread);
  }
  threads_.clear();
}

void ClientWorkers::JoinEndedLocked() {
  const auto ended = std::partition(threads_.begin(), threads_.end(),
                                    [](HANDLE thread) { return WaitForSingleObject(thread, 0) != WAIT_OBJECT_0; });
  for (auto thread = ended; thread != threads_.end(); ++thread) CloseHandle(*thread);
  threads_.erase(ended, threads_.end());
}

DWORD ClientWorkers::ThreadProc(LPVOID start) {
  const WorkerStart worker = *static_cast<WorkerStart*>(start);
  delete static_cast<WorkerStart*>(start);
  worker.workers->Run(worker.server);
  return 0;
}

void ClientWorkers::Run(OPCServer* server) {
  UpdatePulse& event = timer_.Event();
  for (;;) {
    // The pulse count is read before the running flag, so a stop that clears
    // the flag and then pulses is never missed.
    const uint64_t seen = event.Count();
    if (!server->IsRunning()) break;
    server->ProcessAsyncRequests();
    server->ScanGroups(FALSE);
    event.WaitAfter(seen);
  }
  const std::string clientName = server->ClientName();
  if (!clientName.empty()) VorlixApp().TraceMessage("EndServer ", clientName.c_str());
  // Walks over a snapshot of the client list may still be inside the object.
  server->WaitUntilUnpinned();
  delete server;
  InterlockedDecrement(&running_);
}
