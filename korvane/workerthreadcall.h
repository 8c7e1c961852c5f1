#pragma once

#include <atomic>
#include <functional>

// Runs a blocking job, such as a libcurl transfer, on a worker thread while
// the calling thread waits in a local event loop, so that the caller's timers,
// sockets and windows keep being served. The caller keeps a blocking call.
//
// When the caller's loop ends before the job (the application quits, which
// ends every local loop), the job is told to stop through the flag it is
// given and left to end on its own; whatever it fills must then be owned by
// the job itself (captured by a shared pointer), not by the caller.
class WorkerThreadCall {
public:
  using Job = std::function<void(const std::atomic<bool>& cancelled)>;

  // Runs `job` and returns whether it ended while the caller waited.
  static bool run(Job job);
  // Tells every job still running to stop and waits until all have ended:
  // for the end of the program, before what they use goes away.
  static void cancelAllAndWait();
};
