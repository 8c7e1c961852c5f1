#pragma once

#include <functional>

// Runs the Qt event loop until `condition` holds or `timeoutMs` has passed;
// returns whether it holds. The time-out only bounds a test that would
// otherwise hang.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// Runs the Qt event loop for `ms`.
void runEventsFor(int ms);
