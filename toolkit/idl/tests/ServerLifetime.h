// Counts what keeps the test server's process alive (its live objects and the
// clients' LockServer calls), so the process ends once no client needs it.
#pragma once

#include <windows.h>

class ServerLifetime {
 public:
  static void Acquire();
  static void Release();

  // Returns once nothing has held the server for `idleMs` milliseconds, or,
  // if no client has come yet, for `firstClientMs`.
  static void WaitUntilUnused(DWORD idleMs, DWORD firstClientMs);
};
