#include "ServerLifetime.h"

#include <atomic>

namespace {
std::atomic<LONG> holders{0};
std::atomic<bool> servedAClient{false};
std::atomic<ULONGLONG> unusedSince{GetTickCount64()};
}  // namespace

void ServerLifetime::Acquire() {
  servedAClient = true;
  ++holders;
}

void ServerLifetime::Release() {
  if (--holders == 0) unusedSince = GetTickCount64();
}

void ServerLifetime::WaitUntilUnused(DWORD idleMs, DWORD firstClientMs) {
  for (;;) {
    const DWORD limit = servedAClient ? idleMs : firstClientMs;
    if (holders == 0 && GetTickCount64() - unusedSince >= limit) return;
    Sleep(50);
  }
}
