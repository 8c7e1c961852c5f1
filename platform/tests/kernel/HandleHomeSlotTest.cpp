#include "platform/handletable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// Two runs of handles, each filling 7/16 of a table, issued a whole number of
// table sizes apart (tags created before and after clients' items came and
// went): their home slots stay spread over the whole table, so no stretch of
// slots is asked to hold far more than its share and probes stay short. With
// the handle's low bits as its slot both runs would fall on the same slots.
TEST(HandleHomeSlot, RunsOfHandlesATableApartStaySpreadOut) {
  struct Case {
    unsigned slotBits;
    DWORD tablesApart;
  };
  for (const Case& c : {Case{10, 1}, Case{10, 1000}, Case{15, 3}, Case{15, 7}, Case{17, 1}, Case{17, 77777}}) {
    const size_t slots = size_t{1} << c.slotBits;
    const DWORD runLength = static_cast<DWORD>(slots * 7 / 16);
    std::vector<int> homes(slots);
    const DWORD secondRun = 1 + c.tablesApart * static_cast<DWORD>(slots);
    for (DWORD i = 0; i < runLength; ++i) {
      ++homes[HandleHomeSlot(1 + i, c.slotBits)];
      ++homes[HandleHomeSlot(secondRun + i, c.slotBits)];
    }
    // Every stretch of 64 slots (wrapping round) holds 56 homes on average.
    constexpr size_t kStretch = 64;
    int inStretch = 0;
    for (size_t slot = 0; slot < kStretch; ++slot) inStretch += homes[slot];
    int fullest = inStretch;
    for (size_t first = 1; first < slots; ++first) {
      inStretch += homes[(first + kStretch - 1) % slots] - homes[first - 1];
      fullest = std::max(fullest, inStretch);
    }
    EXPECT_LE(fullest, 80) << "slot bits " << c.slotBits << ", runs " << c.tablesApart << " tables apart";
  }
}
