#include "platform/lasterror.h"

#include <gtest/gtest.h>

#include <thread>

TEST(LastError, EachThreadHasItsOwn) {
  SetLastError(87);
  DWORD seenByOtherThread = 1;
  std::thread other([&] {
    seenByOtherThread = GetLastError();
    SetLastError(5);
  });
  other.join();
  EXPECT_EQ(seenByOtherThread, 0u);
  EXPECT_EQ(GetLastError(), 87u);
}
