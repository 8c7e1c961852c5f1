#include "da/group/UpdateRateRevision.h"

#include <cstdint>

RevisedUpdateRate ReviseUpdateRate(DWORD requested, DWORD baseRate) {
  if (requested < baseRate) return {baseRate, false};
  const uint64_t periods = (static_cast<uint64_t>(requested) + baseRate / 2) / baseRate;
  const uint64_t largestPeriods = UINT32_MAX / baseRate;
  return {static_cast<DWORD>((periods < largestPeriods ? periods : largestPeriods) * baseRate), true};
}
