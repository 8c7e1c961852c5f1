#include "platform/guid.h"

#include <gtest/gtest.h>

TEST(Guid, LayoutMatchesTheTargetPlatform) {
  // {00000003-0000-0000-C000-000000000046} in memory: Data1..Data3 little-endian, then Data4.
  const uint8_t expected[16] = {0x03, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  EXPECT_EQ(0, std::memcmp(&IID_IMarshal, expected, 16));
}

TEST(Guid, EqualityComparesAllSixteenBytes) {
  GUID a = IID_IUnknown;
  EXPECT_TRUE(IsEqualIID(a, IID_IUnknown));
  a.Data4[7] ^= 1;
  EXPECT_FALSE(a == IID_IUnknown);
  EXPECT_TRUE(IID_IRpcChannelBuffer != IID_IRpcProxyBuffer);
}
