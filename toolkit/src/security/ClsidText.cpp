#include "security/ClsidText.h"

#include <cstdio>
#include <cstring>

CLSID ClsidFromBytes(const BYTE* bytes) {
  CLSID clsid;
  clsid.Data1 = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
  clsid.Data2 = uint16_t(bytes[4] | bytes[5] << 8);
  clsid.Data3 = uint16_t(bytes[6] | bytes[7] << 8);
  std::memcpy(clsid.Data4, bytes + 8, sizeof clsid.Data4);
  return clsid;
}

std::string ClsidToText(const CLSID& clsid) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", clsid.Data1, clsid.Data2,
                clsid.Data3, clsid.Data4[0], clsid.Data4[1], clsid.Data4[2], clsid.Data4[3], clsid.Data4[4],
                clsid.Data4[5], clsid.Data4[6], clsid.Data4[7]);
  return text;
}
