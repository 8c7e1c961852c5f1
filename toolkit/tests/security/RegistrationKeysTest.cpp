// The server's registration as the system's own registry keeps it: the keys a
// client's COM looks up (ProgID, class, application, categories), their texts,
// and their removal. Runs in both flavours; the class identifier is this
// test's own, so it meets no other test's keys in a shared registry.
#include "Vorlix.h"
#include "support/RegistryFolder.h"
#include "support/RegistryTree.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// {5A1D3C2E-7B4F-4E61-9C0A-2D8E6F1B3A57} as a host hands it over.
BYTE kClsid[16] = {0x2E, 0x3C, 0x1D, 0x5A, 0x4F, 0x7B, 0x61, 0x4E, 0x9C, 0x0A, 0x2D, 0x8E, 0x6F, 0x1B, 0x3A, 0x57};
const std::string kClsidText = "{5a1d3c2e-7b4f-4e61-9c0a-2d8e6f1b3a57}";
const std::string kProgId = "Zelvo.RegistrationKeysTest.1";

// The lines of RegistryTree below HKEY_CLASSES_ROOT\<path>; nothing when the key is missing.
std::optional<Lines> ClassesKey(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  Lines lines = RegistryTree(key);
  RegCloseKey(key);
  return lines;
}

}  // namespace

TEST(RegistrationKeys, TheServersKeysAreWrittenAndRemovedInTheRegistry) {
  RegistryFolder folder;
  std::string progId = kProgId, description = "Zelvo keys test", path = "C:\\Zelvo\\korvane.exe";
  ASSERT_TRUE(UpdateRegistry(kClsid, progId.data(), description.data(), path.data()));

  EXPECT_EQ(ClassesKey(kProgId), (Lines{". @=Zelvo keys test", "CLSID @=" + kClsidText, "OPC"}));
  EXPECT_EQ(ClassesKey("CLSID\\" + kClsidText), (Lines{
                                                    ". @=Zelvo keys test AppID=" + kClsidText,
                                                    "Implemented Categories",
                                                    "Implemented Categories\\{58E13251-AC87-11D1-84D5-00608CB8A7E9}",
                                                    "Implemented Categories\\{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}",
                                                    "Implemented Categories\\{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}",
                                                    "LocalServer32 @=C:\\Zelvo\\korvane.exe",
                                                    "ProgID @=" + kProgId,
                                                }));
  EXPECT_TRUE(ClassesKey("AppID\\" + kClsidText).has_value());

  ASSERT_TRUE(UnregisterServer(kClsid, progId.data()));
  EXPECT_FALSE(ClassesKey(kProgId).has_value());
  EXPECT_FALSE(ClassesKey("CLSID\\" + kClsidText).has_value());
  EXPECT_FALSE(ClassesKey("AppID\\" + kClsidText).has_value());
}
