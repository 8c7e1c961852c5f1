#include "app/ServerLock.h"

namespace {
// How deep the calling thread holds the lock. The library has one ServerLock, so
// one counter per thread is enough; it is a per-thread count so that another
// thread holding the lock (the host during a batch) never makes it misread.
thread_local int heldDepth = 0;
}  // namespace

ServerLock::ServerLock() { InitializeCriticalSection(&section_); }

ServerLock::~ServerLock() { DeleteCriticalSection(&section_); }

void ServerLock::Enter() {
  EnterCriticalSection(&section_);
  ++heldDepth;
}

void ServerLock::Leave() {
  --heldDepth;
  LeaveCriticalSection(&section_);
}

bool ServerLock::HeldByCurrentThread() const { return heldDepth > 0; }
