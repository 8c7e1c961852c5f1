// What the load benchmarks measure a window of the program's own event loop
// with: the event loop run for a while, and the process's CPU time.
#pragma once

namespace LoadWindow {

// Runs the calling thread's event loop for `ms` milliseconds.
void RunEventsFor(int ms);
// The CPU time of the whole process so far, user and system, in seconds.
double ProcessCpuSeconds();

}  // namespace LoadWindow
