// Ours, not the platform's: a FILETIME as one 64-bit count of 100-nanosecond
// ticks since 1601-01-01 UTC, and back, and the current time as a value.
#pragma once

#include "platform/wintypes.h"

inline ULONGLONG FileTimeToTicks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline FILETIME TicksToFileTime(ULONGLONG ticks) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

// GetSystemTimeAsFileTime as a value: now, in UTC.
FILETIME NowUtc();
