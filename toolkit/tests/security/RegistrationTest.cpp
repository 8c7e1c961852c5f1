#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "security/ClsidText.h"
#include "support/RegistryFolder.h"
#include "support/RegistryTree.h"

#include "platform/registrystore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::Contains;
using Lines = std::vector<std::string>;

namespace {

// {99B8F472-C037-11D2-80B8-0060975858BE} as the host hands it over.
BYTE kClsid[16] = {0x72, 0xF4, 0xB8, 0x99, 0x37, 0xC0, 0xD2, 0x11, 0x80, 0xB8, 0x00, 0x60, 0x97, 0x58, 0x58, 0xBE};
const std::string kClsidText = "{99b8f472-c037-11d2-80b8-0060975858be}";
const std::string kProgId = "Zelvo.Server.1";
const std::string kDescription = "Zelvo OPC Server";
const std::string kPath = "/opt/zelvo/bin/korvane";

const Lines kFreshTree = {"AppID", "CLSID"};

// HKEY_CLASSES_ROOT after registering kClsid under kProgId in a fresh store.
Lines RegisteredTree(const std::string& description, const std::string& path) {
  const std::string classKey = "CLSID\\" + kClsidText;
  const std::string categories = classKey + "\\Implemented Categories";
  return {
      "AppID",
      "AppID\\" + kClsidText,
      "CLSID",
      classKey + " @=" + description + " AppID=" + kClsidText,
      categories,
      categories + "\\{58E13251-AC87-11D1-84D5-00608CB8A7E9}",
      categories + "\\{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}",
      categories + "\\{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}",
      classKey + "\\LocalServer32 @=" + path,
      classKey + "\\ProgID @=" + kProgId,
      kProgId + " @=" + description,
      kProgId + "\\CLSID @=" + kClsidText,
      kProgId + "\\OPC",
  };
}

Lines ClassesRoot() { return RegistryTree(HKEY_CLASSES_ROOT); }

BOOL Register(std::string description = kDescription, std::string path = kPath, std::string progId = kProgId) {
  return UpdateRegistry(kClsid, progId.data(), description.data(), path.data());
}

BOOL Unregister(std::string progId = kProgId) { return UnregisterServer(kClsid, progId.data()); }

BOOL AddServiceKeys(std::string serviceName) { return AddLocalServiceKeysToRegistry(serviceName.data()); }

class Registration : public ::testing::Test {
 protected:
  RegistryFolder folder_;
};

}  // namespace

TEST(ClsidText, LowerCaseWithEveryFieldZeroPadded) {
  const struct {
    BYTE bytes[16];
    const char* text;
  } cases[] = {
      {{0x72, 0xF4, 0xB8, 0x99, 0x37, 0xC0, 0xD2, 0x11, 0x80, 0xB8, 0x00, 0x60, 0x97, 0x58, 0x58, 0xBE},
       "{99b8f472-c037-11d2-80b8-0060975858be}"},
      {{0x0A, 0, 0, 0, 0x0B, 0, 0x0C, 0, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14},
       "{0000000a-000b-000c-0d0e-0f1011121314}"},
      {{0}, "{00000000-0000-0000-0000-000000000000}"},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
       "{ffffffff-ffff-ffff-ffff-ffffffffffff}"},
  };
  for (const auto& c : cases) EXPECT_EQ(ClsidToText(ClsidFromBytes(c.bytes)), c.text);
}

TEST(RegistrationLayout, BothNamesWriteExactlyTheServerKeysWhichOutliveARestart) {
  for (auto update : {UpdateRegistry, LUMOUpdateRegistry}) {
    RegistryFolder folder;
    std::string progId = kProgId, description = kDescription, path = kPath;
    ASSERT_TRUE(update(kClsid, progId.data(), description.data(), path.data()));
    EXPECT_EQ(ClassesRoot(), RegisteredTree(kDescription, kPath));
    EXPECT_EQ(ClsidToText(VorlixApp().ServerClsid()), kClsidText);

    RegistryStore::Instance().Reset();
    EXPECT_EQ(ClassesRoot(), RegisteredTree(kDescription, kPath));
  }
}

TEST_F(Registration, RepeatingItKeepsOneSetOfKeysWithTheLastTextsWhole) {
  ASSERT_TRUE(Register());
  const std::string longDescription(300, 'd');
  const std::string longPath = "/opt/" + std::string(1000, 'p') + "/korvane";
  ASSERT_TRUE(Register(longDescription, longPath));
  EXPECT_EQ(ClassesRoot(), RegisteredTree(longDescription, longPath));
}

TEST_F(Registration, MissingOrEmptyNamesWriteAndRemoveNothing) {
  std::string text = "x";
  std::string empty;
  EXPECT_FALSE(UpdateRegistry(nullptr, text.data(), text.data(), text.data()));
  EXPECT_FALSE(UpdateRegistry(kClsid, nullptr, text.data(), text.data()));
  EXPECT_FALSE(UpdateRegistry(kClsid, empty.data(), text.data(), text.data()));
  EXPECT_FALSE(UpdateRegistry(kClsid, text.data(), nullptr, text.data()));
  EXPECT_FALSE(UpdateRegistry(kClsid, text.data(), text.data(), nullptr));
  EXPECT_FALSE(AddLocalServiceKeysToRegistry(nullptr));
  EXPECT_EQ(ClassesRoot(), kFreshTree);

  ASSERT_TRUE(Register());
  EXPECT_FALSE(UnregisterServer(nullptr, text.data()));
  EXPECT_FALSE(UnregisterServer(kClsid, nullptr));
  EXPECT_FALSE(UnregisterServer(kClsid, empty.data()));
  EXPECT_EQ(ClassesRoot(), RegisteredTree(kDescription, kPath));
}

TEST_F(Registration, StopsAtTheFirstKeyItCannotWriteKeepingTheEarlierOnes) {
  RegistryStore::Instance().SetRefuseWrites(true);
  EXPECT_FALSE(Register());
  RegistryStore::Instance().SetRefuseWrites(false);
  EXPECT_EQ(ClassesRoot(), kFreshTree);

  ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "AppID"), ERROR_SUCCESS);
  EXPECT_FALSE(Register());
  EXPECT_EQ(ClassesRoot(), (Lines{"CLSID", kProgId + " @=" + kDescription, kProgId + "\\CLSID @=" + kClsidText,
                                  kProgId + "\\OPC"}));
}

TEST_F(Registration, ServiceKeysGoUnderTheStoredClassIdentifier) {
  // Nothing stored yet: the all-zero identifier, whose key does not exist.
  EXPECT_FALSE(AddServiceKeys("ZelvoService"));
  EXPECT_EQ(ClassesRoot(), kFreshTree);
  const std::string zeroKey = "AppID\\{00000000-0000-0000-0000-000000000000}";
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, zeroKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(created);
  EXPECT_TRUE(AddServiceKeys("ZeroService"));
  EXPECT_THAT(ClassesRoot(), Contains(zeroKey + " LocalService=ZeroService ServiceParameters=-Service"));

  ASSERT_TRUE(Register());
  EXPECT_TRUE(AddServiceKeys("ZelvoService"));
  EXPECT_THAT(ClassesRoot(), Contains("AppID\\" + kClsidText + " LocalService=ZelvoService ServiceParameters=-Service"));

  RegistryStore::Instance().SetRefuseWrites(true);
  EXPECT_FALSE(AddServiceKeys("Other"));
}

TEST_F(Registration, UnregisteringRemovesEveryKeyWrittenIncludingTheServiceValues) {
  ASSERT_TRUE(Register());
  ASSERT_TRUE(AddServiceKeys("ZelvoService"));
  EXPECT_TRUE(Unregister());
  EXPECT_EQ(ClassesRoot(), kFreshTree);
  EXPECT_FALSE(Unregister());
}

TEST_F(Registration, UnregisteringAnUnknownProgIdOrFromAReadOnlyStoreTouchesNothing) {
  ASSERT_TRUE(Register());
  EXPECT_FALSE(Unregister("Other.Server.1"));
  EXPECT_EQ(ClassesRoot(), RegisteredTree(kDescription, kPath));

  RegistryStore::Instance().SetRefuseWrites(true);
  EXPECT_FALSE(Unregister());
  RegistryStore::Instance().SetRefuseWrites(false);
  EXPECT_EQ(ClassesRoot(), RegisteredTree(kDescription, kPath));
}

TEST_F(Registration, UnregisteringReportsAKeyThatGainedASubkeyAndRemovesTheRest) {
  ASSERT_TRUE(Register());
  const std::string localServer = "CLSID\\" + kClsidText + "\\LocalServer32";
  HKEY extra = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, (localServer + "\\Extra").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &extra, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(extra);
  EXPECT_FALSE(Unregister());
  EXPECT_EQ(ClassesRoot(), (Lines{"AppID", "CLSID", "CLSID\\" + kClsidText + " @=" + kDescription + " AppID=" + kClsidText,
                                  localServer + " @=" + kPath, localServer + "\\Extra"}));
}
