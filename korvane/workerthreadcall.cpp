#include "workerthreadcall.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include <QEventLoop>
#include <QMetaObject>

#include "klog.h"

namespace {

// What a job and its caller share. The caller's loop may already be gone when
// the job ends: the job posts the quit only while `waiting` is set, and both
// read and change it under `mutex`.
struct RunningJob {
  std::atomic<bool> cancelled{false};
  std::mutex mutex;
  bool waiting = true;
  bool ended = false;
  QEventLoop* loop = nullptr;
};

// Every job not yet ended, so the program's end can stop and wait for them.
std::mutex runningMutex;
std::condition_variable runningEnded;
std::set<std::shared_ptr<RunningJob>> runningJobs;

void runOnWorker(const std::shared_ptr<RunningJob>& state, WorkerThreadCall::Job job) {
  try {
    job(state->cancelled);
  } catch (const std::exception& error) {
    KLOG << "request failed on its worker thread:" << error.what();
  } catch (...) {
    KLOG << "request failed on its worker thread";
  }
  // What the job holds goes before the program's end may go on.
  job = nullptr;
  {
    const std::lock_guard<std::mutex> lock(state->mutex);
    state->ended = true;
    if (state->waiting) QMetaObject::invokeMethod(state->loop, "quit", Qt::QueuedConnection);
  }
  const std::lock_guard<std::mutex> lock(runningMutex);
  runningJobs.erase(state);
  runningEnded.notify_all();
}

}  // namespace

bool WorkerThreadCall::run(Job job) {
  QEventLoop loop;
  auto state = std::make_shared<RunningJob>();
  state->loop = &loop;
  {
    const std::lock_guard<std::mutex> lock(runningMutex);
    runningJobs.insert(state);
  }
  try {
    std::thread(runOnWorker, state, std::move(job)).detach();
  } catch (const std::system_error& error) {
    KLOG << "no worker thread for a request:" << error.what();
    const std::lock_guard<std::mutex> lock(runningMutex);
    runningJobs.erase(state);
    return false;
  }
  {
    std::unique_lock<std::mutex> lock(state->mutex);
    // The quit the job posts waits in the queue until the loop runs.
    if (!state->ended) {
      lock.unlock();
      loop.exec();
    }
  }
  const std::lock_guard<std::mutex> lock(state->mutex);
  state->waiting = false;
  if (!state->ended) state->cancelled = true;
  return state->ended;
}

void WorkerThreadCall::cancelAllAndWait() {
  std::unique_lock<std::mutex> lock(runningMutex);
  for (const std::shared_ptr<RunningJob>& state : runningJobs) state->cancelled = true;
  runningEnded.wait(lock, [] { return runningJobs.empty(); });
}
