// Waiting for something another thread does, with a generous bound that only
// a failure reaches. Shared by the platform's and the toolkit's tests.
#pragma once

#include "platform/threads.h"

// Generous bound for waits that must end; a wait reaching it is a failure.
constexpr DWORD kLongWait = 10000;

// Polls until `done` holds; false when the bound passes first.
template <class Predicate>
bool Eventually(Predicate done) {
  for (DWORD waited = 0; waited < kLongWait; ++waited) {
    if (done()) return true;
    Sleep(1);
  }
  return done();
}
