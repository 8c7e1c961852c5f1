// How a client's requested update rate becomes a group's rate: groups are
// scanned once per period of the update timer (the base rate), so a rate is a
// whole number of base periods, the nearest one with halves rounded up. A
// request below one base period gets one base period and counts as unsupported.
#pragma once

#include "platform/wintypes.h"

struct RevisedUpdateRate {
  DWORD rate;
  bool supported;
};

// `baseRate` is never 0 (the update timer runs at 10 ms or slower). A request
// so close to the largest 32-bit value that its nearest multiple would not fit
// gets the largest multiple that does.
RevisedUpdateRate ReviseUpdateRate(DWORD requested, DWORD baseRate);
