#include "platform/guid.h"
#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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

TEST(Guid, OpcInterfaceIdentifiers) {
  const struct {
    const IID& iid;
    const char* text;
  } cases[] = {
      {IID_IOPCServer, "39C13A4D-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCServerPublicGroups, "39C13A4E-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCBrowseServerAddressSpace, "39C13A4F-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCGroupStateMgt, "39C13A50-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCPublicGroupStateMgt, "39C13A51-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCSyncIO, "39C13A52-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCAsyncIO, "39C13A53-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCItemMgt, "39C13A54-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IEnumOPCItemAttributes, "39C13A55-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCDataCallback, "39C13A70-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCAsyncIO2, "39C13A71-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCItemProperties, "39C13A72-011E-11D0-9675-0020AFD8ADB3"},
      {IID_IOPCCommon, "F31DFDE2-07B6-11D2-B2D8-0060083BA1FB"},
      {IID_IOPCShutdown, "F31DFDE1-07B6-11D2-B2D8-0060083BA1FB"},
      {IID_IOPCEventServer, "65168851-5783-11D1-84A0-00608CB8A7E9"},
      {IID_IOPCEventSubscriptionMgt, "65168855-5783-11D1-84A0-00608CB8A7E9"},
      {IID_IOPCEventAreaBrowser, "65168857-5783-11D1-84A0-00608CB8A7E9"},
      {IID_IOPCEventSink, "6516885F-5783-11D1-84A0-00608CB8A7E9"},
      {IID_IOPCSecurityNT, "7AA83A01-6C77-11D3-84F9-00008630A38B"},
  };
  for (const auto& c : cases) {
    const IID& g = c.iid;
    char text[37];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    EXPECT_EQ(std::string(text), c.text);
  }
}
