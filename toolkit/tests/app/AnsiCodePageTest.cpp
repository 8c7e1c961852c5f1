// Client names in wide text meet the host's names in the ANSI code page, 936
// (GBK) unless the environment names another.
#include "ae/COPCEvent.h"
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"

#include "platform/IOPCBrowseServerAddressSpace.h"
#include "platform/IOPCItemProperties.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using WideNames = std::vector<WideString>;

// "SN.温度" as the host writes it, in GB2312 (and so in GBK).
const char kChineseTag[] = "SN.\xCE\xC2\xB6\xC8";

// A connected client of a server whose host made the tags `kChineseTag`,
// "Temp1", "TempX" and "Temp?".
class AnsiNames : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(connected_.Ready());
    for (const char* name : {kChineseTag, "Temp1", "TempX", "Temp?"}) ASSERT_NE(NewTag(name), VORLIX_INVALID_TAG);
    group_ = std::make_unique<OpcTestGroup>(connected_.opc, "items");
    ASSERT_EQ(group_->Added(), S_OK);
  }

  // What AddItems answered for each wide item ID (with an access path).
  std::vector<HRESULT> AddItems(const std::vector<WideString>& itemIds, WideString accessPath = OLESTR("")) {
    std::vector<WideString> ids = itemIds;
    std::vector<OPCITEMDEF> definitions;
    for (WideString& id : ids)
      definitions.push_back(OPCITEMDEF{accessPath.data(), id.data(), TRUE, 1, 0, nullptr, VT_EMPTY, 0});
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    group_->Items()->AddItems(static_cast<DWORD>(definitions.size()), definitions.data(), &results, &errors);
    CoTaskMemFree(results);
    return TakeErrors(errors, definitions.size());
  }

  // The flat browse under a wide name filter, in wide text as the client gets it.
  WideNames BrowseFlat(const WCHAR* filter) {
    IOPCBrowseServerAddressSpace* browse = nullptr;
    EXPECT_EQ(connected_.client.Query(IID_IOPCBrowseServerAddressSpace, &browse), S_OK);
    IEnumString* strings = nullptr;
    EXPECT_EQ(browse->BrowseOPCItemIDs(OPC_FLAT, filter, VT_EMPTY, 0, &strings), S_OK);
    WideNames names;
    LPOLESTR name = nullptr;
    ULONG fetched = 0;
    while (strings != nullptr && strings->Next(1, &name, &fetched) == S_OK) {
      names.push_back(name);
      CoTaskMemFree(name);
    }
    if (strings != nullptr) strings->Release();
    return names;
  }

  ConnectedClient connected_;
  std::unique_ptr<OpcTestGroup> group_;
};

std::vector<std::string> unknownItemNotices;
void RecordUnknownItem(char* accessPath, char* itemId) {
  unknownItemNotices.push_back(std::string(accessPath) + "|" + itemId);
}

}  // namespace

TEST_F(AnsiNames, AChineseItemIdFindsTheTagTheHostNamedInGb2312) {
  EXPECT_EQ(AddItems({OLESTR("SN.温度"), OLESTR("Temp1")}), (std::vector<HRESULT>{S_OK, S_OK}));
  EXPECT_EQ(BrowseFlat(OLESTR("")), (WideNames{OLESTR("SN.温度"), OLESTR("Temp1"), OLESTR("TempX"), OLESTR("Temp?")}));
  EXPECT_EQ(BrowseFlat(OLESTR("SN.温*")), WideNames{OLESTR("SN.温度")});
  EXPECT_EQ(BrowseFlat(OLESTR("SN.温?")), WideNames{OLESTR("SN.温度")});

  IOPCItemProperties* properties = nullptr;
  ASSERT_EQ(connected_.client.Query(IID_IOPCItemProperties, &properties), S_OK);
  DWORD count = 0;
  DWORD* ids = nullptr;
  LPWSTR* descriptions = nullptr;
  VARTYPE* types = nullptr;
  WideString itemId = OLESTR("SN.温度");
  EXPECT_EQ(properties->QueryAvailableProperties(itemId.data(), &count, &ids, &descriptions, &types), S_OK);
  for (DWORD i = 0; i < count; ++i) CoTaskMemFree(descriptions[i]);
  for (void* block : {static_cast<void*>(ids), static_cast<void*>(descriptions), static_cast<void*>(types)})
    CoTaskMemFree(block);
  EXPECT_GT(count, 0u);
  WideString unheld = OLESTR("SN.温\u0E01");
  EXPECT_EQ(properties->QueryAvailableProperties(unheld.data(), &count, &ids, &descriptions, &types),
            OPC_E_UNKNOWNITEMID);
}

// Such a name used to become "Temp?", which named the tag "Temp?" and, as a
// filter, every "Temp" with one more character.
TEST_F(AnsiNames, ANameTheCodePageCannotHoldNamesNothing) {
  unknownItemNotices.clear();
  ASSERT_TRUE(EnableUnknownItemNotification(RecordUnknownItem));
  EXPECT_EQ(AddItems({OLESTR("Temp\u00FF"), OLESTR("SN.温\u0E01"), OLESTR("Temp\U0001F600")}),
            (std::vector<HRESULT>{OPC_E_UNKNOWNITEMID, OPC_E_UNKNOWNITEMID, OPC_E_UNKNOWNITEMID}));
  EXPECT_EQ(AddItems({OLESTR("Temp1")}, OLESTR("\u0E01")), std::vector<HRESULT>{OPC_E_UNKNOWNITEMID});
  EnableUnknownItemNotification(nullptr);
  // The host cannot be told a name it has no bytes for.
  EXPECT_TRUE(unknownItemNotices.empty());

  EXPECT_EQ(BrowseFlat(OLESTR("Temp\u00FF")), WideNames{});
  EXPECT_EQ(BrowseFlat(OLESTR("Temp\u0E01*")), WideNames{});
  // "Ω" is in GBK: it names "TempΩ", which is not there.
  EXPECT_EQ(BrowseFlat(OLESTR("TempΩ")), WideNames{});
  EXPECT_EQ(BrowseFlat(OLESTR("Temp?")), (WideNames{OLESTR("Temp1"), OLESTR("TempX"), OLESTR("Temp?")}));
}

TEST_F(AnsiNames, GroupNamesRoundTripOrAreRefused) {
  OpcTestGroup chinese(connected_.opc, "\xD7\xE9 1");  // "组 1"
  ASSERT_EQ(chinese.Added(), S_OK);
  OpcTestGroup question(connected_.opc, "G?");
  ASSERT_EQ(question.Added(), S_OK);

  IUnknown* found = nullptr;
  EXPECT_EQ(connected_.opc->GetGroupByName(OLESTR("组 1"), IID_IUnknown, &found), S_OK);
  EXPECT_EQ(found, chinese.Unknown());
  if (found != nullptr) found->Release();
  EXPECT_EQ(connected_.opc->GetGroupByName(OLESTR("G\u0E01"), IID_IUnknown, &found), E_INVALIDARG);
  EXPECT_EQ(found, nullptr);

  OPCHANDLE handle = 0;
  DWORD rate = 0;
  EXPECT_EQ(connected_.opc->AddGroup(OLESTR("G\u0E01"), TRUE, 100, 0, nullptr, nullptr, 0, &handle, &rate, IID_IUnknown,
                                     &found),
            E_INVALIDARG);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(chinese.State()->SetName(OLESTR("\u0E01")), E_INVALIDARG);
  EXPECT_EQ(chinese.State()->SetName(OLESTR("组 2")), S_OK);
  EXPECT_EQ(chinese.Name(), "\xD7\xE9 2");
  EXPECT_EQ(chinese.State()->CloneGroup(OLESTR("G\u0E01"), IID_IUnknown, &found), E_INVALIDARG);
}

TEST(AnsiEventTexts, AHostEventTextTheCodePageCannotHoldGivesNoRecord) {
  WideString source = OLESTR("Boiler\u0E01");
  WideString other = OLESTR("锅炉");
  ONEVENTSTRUCT event{};
  event.szSource = other.data();
  event.szMessage = other.data();
  event.szConditionName = other.data();
  event.szSubconditionName = other.data();
  event.szActorID = other.data();
  const std::unique_ptr<COPCEvent> held = COPCEvent::FromEventStruct(event);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->source, "\xB9\xF8\xC2\xAF");
  for (LPWSTR* field : {&event.szSource, &event.szMessage, &event.szConditionName, &event.szSubconditionName,
                        &event.szActorID}) {
    *field = source.data();
    EXPECT_EQ(COPCEvent::FromEventStruct(event), nullptr);
    *field = other.data();
  }
}

// The setting is read once per process: the case runs in a fresh process.
TEST(AnsiCodePageSetting, Under1252ANameInThatCodePageIsFound) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  setenv("ZELVO_ANSI_CODEPAGE", "1252", 1);
  EXPECT_EXIT(
      {
        NewTag("Caf\xE9");
        WideString itemId = OLESTR("Café");
        WideString unheld = OLESTR("Caf温");
        WideString none = OLESTR("");
        const bool found =
            VorlixApp().ValidateItem(OPCITEMDEF{none.data(), itemId.data(), TRUE, 0, 0, nullptr, VT_EMPTY, 0},
                                     nullptr, nullptr, nullptr) == S_OK &&
            VorlixApp().ValidateItem(OPCITEMDEF{none.data(), unheld.data(), TRUE, 0, 0, nullptr, VT_EMPTY, 0},
                                     nullptr, nullptr, nullptr) == OPC_E_UNKNOWNITEMID;
        std::exit(found ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  unsetenv("ZELVO_ANSI_CODEPAGE");
}
