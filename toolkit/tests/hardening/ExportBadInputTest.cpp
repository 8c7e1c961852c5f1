// Bad input to the exported C interface: tag handles that name no tag (0,
// 0xFFFFFFFF, a removed tag's, a group's or an item's server handle), NULL
// pointers, invalid VARIANTs and names that are empty, 64k long or not text of
// the system's code page.
#include <gtest/gtest.h>

#include <string>

#include "Vorlix.h"
#include "hardening/BadInputTable.h"
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "support/RegistryFolder.h"

namespace {

// A VARIANT of `type` with nothing behind it.
VARIANT Invalid(VARTYPE type) {
  VARIANT value;
  VariantInit(&value);
  value.vt = type;
  return value;
}

// Invalid VARIANTs a host could pass by value.
const std::pair<const char*, VARTYPE> kInvalidTypes[] = {{"VARIANT of type 0xFFFF", 0xFFFF},
                                                         {"VARIANT of type 0x7FFF", 0x7FFF},
                                                         {"VT_BYREF|VT_R4 with a null reference", VT_BYREF | VT_R4},
                                                         {"VT_VARIANT alone", VT_VARIANT}};

class ExportBadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(connected.Ready());
    tag = NewTag("Area.Tag");
    const DWORD removed = NewTag("Area.Removed");
    ASSERT_TRUE(RemoveTag(removed));
    ASSERT_TRUE(SUCCEEDED(group.Added()));
    const ItemCall added = group.AddItems({{"Area.Tag"}});
    ASSERT_EQ(added.hr, S_OK);
    badHandles = {{"handle 0", 0},
                  {"handle 0xFFFFFFFF", 0xFFFFFFFF},
                  {"a removed tag's handle", removed},
                  {"a group's server handle", group.ServerHandle()},
                  {"an item's server handle", added.results[0].hServer}};
  }

  ConnectedClient connected{100};
  OpcTestGroup group{connected.opc, "G"};
  DWORD tag = VORLIX_INVALID_TAG;
  std::vector<std::pair<std::string, DWORD>> badHandles;
  std::string longName = std::string(65536, 'N');
  std::string unrepresentable = "Bad\x81";
  BadInputTable table;
};

TEST_F(ExportBadInput, TagHandles) {
  for (const auto& [input, handle] : badHandles) {
    const DWORD h = handle;
    table.Add("RemoveTag", input, FALSE, [=] { return RemoveTag(h); });
    table.Add("SuspendTagUpdates", input, FALSE, [=] { return SuspendTagUpdates(h, TRUE); });
    table.Add("UpdateTag", input, FALSE, [=] { return UpdateTag(h, MakeR4(1), OPC_QUALITY_GOOD); });
    table.Add("UpdateTagWithTimeStamp", input, FALSE, [=] {
      return UpdateTagWithTimeStamp(h, MakeR4(1), OPC_QUALITY_GOOD, FILETIME{1, 1});
    });
    table.Add("UpdateTagToList", input, FALSE, [=] {
      StartUpdateTags();
      const BOOL updated = UpdateTagToList(h, MakeR4(1), OPC_QUALITY_GOOD);
      EndUpdateTags();
      return updated;
    });
    table.Add("ReadTag", input, FALSE, [=] {
      VARIANT value;
      VariantInit(&value);
      return ReadTag(h, &value);
    });
    table.Add("ReadTagWithTimeStamp", input, FALSE, [=] {
      VARIANT value;
      VariantInit(&value);
      WORD quality = 0;
      FILETIME time{};
      return ReadTagWithTimeStamp(h, &value, &quality, &time);
    });
    table.Add("SetItemLevelAlarm", input, FALSE, [=] { return SetItemLevelAlarm(h, 1, 0.0f, 1, TRUE); });
    table.Add("GetItemLevelAlarm", input, FALSE, [=] {
      float limit = 0;
      DWORD severity = 0;
      BOOL enabled = FALSE;
      return GetItemLevelAlarm(h, 1, &limit, &severity, &enabled);
    });
    table.Add("SetTagProperties", input, FALSE, [=] {
      char description[] = "Custom";
      return SetTagProperties(h, 5000, description, MakeR4(1));
    });
    table.Add("UserAEMessageEx2", input + " as subscription", TRUE, [=] {
      ONEVENTSTRUCT event{};
      return UserAEMessageEx2(h, event, FALSE, FALSE);
    });
  }
  for (DWORD property : {0u, 1u, 6u}) {
    table.Add("SetTagProperties", "standard property " + std::to_string(property), FALSE, [=] {
      char description[] = "Custom";
      return SetTagProperties(tag, property, description, MakeR4(1));
    });
  }
  table.Add("UpdateTagToList", "no batch", FALSE, [=] { return UpdateTagToList(tag, MakeR4(1), OPC_QUALITY_GOOD); });
  table.Add("EndUpdateTags", "no batch", FALSE, [] { return EndUpdateTags(); });
  table.Add("StartUpdateTags", "a batch open already", FALSE, [] {
    StartUpdateTags();
    const BOOL nested = StartUpdateTags();
    EndUpdateTags();
    return nested;
  });
  for (int alarm : {0, 5, -1}) {
    table.Add("SetItemLevelAlarm", "alarm " + std::to_string(alarm), FALSE,
              [=] { return SetItemLevelAlarm(tag, alarm, 0.0f, 1, TRUE); });
  }
  table.Run();
}

TEST_F(ExportBadInput, NullPointers) {
  const DWORD h = tag;
  table.Add("CreateTag", "null name", VORLIX_INVALID_TAG,
            [=] { return CreateTag(nullptr, MakeR4(1), OPC_QUALITY_GOOD, TRUE); });
  table.Add("CreateSecureTag", "null name", VORLIX_INVALID_TAG,
            [=] { return CreateSecureTag(nullptr, MakeR4(1), OPC_QUALITY_GOOD, 0x10000, 0x10000); });
  table.Add("UpdateTagByName", "null name", FALSE, [=] { return UpdateTagByName(nullptr, MakeR4(1), 0); });
  table.Add("ReadTag", "null value out", FALSE, [=] { return ReadTag(h, nullptr); });
  for (int missing = 0; missing < 3; ++missing) {
    table.Add("ReadTagWithTimeStamp", "null out-pointer " + std::to_string(missing), FALSE, [=] {
      VARIANT value;
      VariantInit(&value);
      WORD quality = 0;
      FILETIME time{};
      const BOOL read = ReadTagWithTimeStamp(h, missing == 0 ? nullptr : &value, missing == 1 ? nullptr : &quality,
                                             missing == 2 ? nullptr : &time);
      VariantClear(&value);
      return read;
    });
    table.Add("GetItemLevelAlarm", "null out-pointer " + std::to_string(missing), FALSE, [=] {
      float limit = 0;
      DWORD severity = 0;
      BOOL enabled = FALSE;
      return GetItemLevelAlarm(h, 1, missing == 0 ? nullptr : &limit, missing == 1 ? nullptr : &severity,
                               missing == 2 ? nullptr : &enabled);
    });
  }
  table.Add("SetTagProperties", "null description", FALSE,
            [=] { return SetTagProperties(h, 5000, nullptr, MakeR4(1)); });
  table.Add("SetVarnVendorInfo", "null text", 0, [=] {
    SetVarnVendorInfo(nullptr);
    return 0;
  });
  table.Add("UserAEMessage", "null message", TRUE, [=] { return UserAEMessage(nullptr, 0xFFFFFFFF); });
  table.Add("UserAEMessageEx", "null texts", TRUE, [=] { return UserAEMessageEx(ONEVENTSTRUCT{}); });
  table.Add("UserAEMessageEx", "null attributes, count 0x7FFFFFFF", FALSE, [=] {
    ONEVENTSTRUCT event{};
    event.dwNumEventAttrs = kHugeCount;
    return UserAEMessageEx(event);
  });
  table.Add("InitVarnOPCsvr", "null class identifier", FALSE, [=] { return InitVarnOPCsvr(nullptr, 100); });
  table.Add("ConvertVBDateToFileTime1", "null date", FALSE, [=] {
    FILETIME time{};
    return ConvertVBDateToFileTime1(nullptr, &time);
  });
  table.Add("ConvertVBDateToFileTime1", "null FILETIME out", FALSE, [=] {
    DATE date = 2.0;
    return ConvertVBDateToFileTime1(&date, nullptr);
  });
  table.Add("ConvertFileTimeToVBDate1", "null FILETIME", FALSE, [=] {
    DATE date = 0;
    return ConvertFileTimeToVBDate1(nullptr, &date);
  });
  table.Add("ConvertFileTimeToVBDate1", "null date out", FALSE, [=] {
    FILETIME time{1, 1};
    return ConvertFileTimeToVBDate1(&time, nullptr);
  });
  table.Add("DefineNTUser", "null record name", TRUE, [=] {
    char account[] = "nobody";
    return DefineNTUser(nullptr, account, 1) != 0;
  });
  table.Add("DefineNTUser", "null account name", TRUE, [=] {
    char record[] = "Users";
    return DefineNTUser(record, nullptr, 1) != 0;
  });
  table.Run();
}

TEST_F(ExportBadInput, Registration) {
  RegistryFolder registry;
  BYTE clsid[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  std::string progId = "Bad.Input.1";
  std::string description = "Bad input";
  std::string path = "/bin/true";
  struct Registration {
    const char* input;
    bool clsid, progId, description, path;
  };
  for (const Registration& row :
       {Registration{"null class identifier", false, true, true, true},
        Registration{"null ProgID", true, false, true, true}, Registration{"null description", true, true, false, true},
        Registration{"null executable path", true, true, true, false}}) {
    table.Add("UpdateRegistry", row.input, FALSE, [=]() mutable {
      return UpdateRegistry(row.clsid ? clsid : nullptr, row.progId ? progId.data() : nullptr,
                            row.description ? description.data() : nullptr, row.path ? path.data() : nullptr);
    });
  }
  table.Add("LUMOUpdateRegistry", "null ProgID", FALSE,
            [=]() mutable { return LUMOUpdateRegistry(clsid, nullptr, description.data(), path.data()); });
  table.Add("UpdateRegistry", "empty ProgID", FALSE, [=]() mutable {
    char empty[] = "";
    return UpdateRegistry(clsid, empty, description.data(), path.data());
  });
  table.Add("AddLocalServiceKeysToRegistry", "null service name", FALSE,
            [=] { return AddLocalServiceKeysToRegistry(nullptr); });
  table.Add("UnregisterServer", "null class identifier", FALSE,
            [=]() mutable { return UnregisterServer(nullptr, progId.data()); });
  table.Add("UnregisterServer", "null ProgID", FALSE, [=]() mutable { return UnregisterServer(clsid, nullptr); });
  table.Add("UnregisterServer", "a ProgID never registered", FALSE,
            [=]() mutable { return UnregisterServer(clsid, progId.data()); });
  table.Run();
}

TEST_F(ExportBadInput, ValuesAndNames) {
  const DWORD h = tag;
  for (const auto& [input, type] : kInvalidTypes) {
    const VARTYPE vt = type;
    table.Add("CreateTag", input, VORLIX_INVALID_TAG, [=] {
      char name[] = "Area.Invalid";
      return CreateTag(name, Invalid(vt), OPC_QUALITY_GOOD, TRUE);
    });
    table.Add("UpdateTag", input, FALSE, [=] {
      const BOOL updated = UpdateTag(h, Invalid(vt), OPC_QUALITY_GOOD);
      // The tag keeps the value it had.
      const TagReading reading = ReadTagState(h);
      return reading.value.vt == VT_R4 ? updated : TRUE;
    });
    table.Add("UpdateTagByName", input, FALSE, [=] {
      char name[] = "Area.Tag";
      return UpdateTagByName(name, Invalid(vt), OPC_QUALITY_GOOD);
    });
    table.Add("SetTagProperties", input, FALSE, [=] {
      char description[] = "Custom";
      return SetTagProperties(h, 5000, description, Invalid(vt));
    });
    table.Add("UserAEMessageEx", std::string("an attribute ") + input, FALSE, [=] {
      VARIANT attributes[1] = {Invalid(vt)};
      ONEVENTSTRUCT event{};
      event.dwNumEventAttrs = 1;
      event.pEventAttributes = attributes;
      return UserAEMessageEx(event);
    });
  }
  table.Add("CreateTag", "empty name", VORLIX_INVALID_TAG, [=] {
    char name[] = "";
    return CreateTag(name, MakeR4(1), OPC_QUALITY_GOOD, TRUE);
  });
  table.Add("CreateTag", "non-representable name", VORLIX_INVALID_TAG,
            [=]() mutable { return CreateTag(unrepresentable.data(), MakeR4(1), OPC_QUALITY_GOOD, TRUE); });
  table.Add("CreateTag", "64k name", TRUE, [=]() mutable {
    const DWORD created = CreateTag(longName.data(), MakeR4(1), OPC_QUALITY_GOOD, TRUE);
    return created != VORLIX_INVALID_TAG && RemoveTag(created);
  });
  for (const auto& [input, name] : {std::pair<const char*, std::string>{"empty name", ""},
                                    {"64k name", longName},
                                    {"non-representable name", unrepresentable}}) {
    table.Add("UpdateTagByName", input, FALSE,
              [=, name = name]() mutable { return UpdateTagByName(name.data(), MakeR4(1), OPC_QUALITY_GOOD); });
  }
  table.Add("CreateTag", "a branch's name", VORLIX_INVALID_TAG, [=] {
    char name[] = "Area";
    return CreateTag(name, MakeR4(1), OPC_QUALITY_GOOD, TRUE);
  });
  table.Add("CreateTag", "an existing tag's name", VORLIX_INVALID_TAG, [=] {
    char name[] = "Area.Tag";
    return CreateTag(name, MakeR4(1), OPC_QUALITY_GOOD, TRUE);
  });
  table.Add("UserAEMessage", "64k message", TRUE, [=]() mutable { return UserAEMessage(longName.data(), 1); });
  table.Add("SetVarnVendorInfo", "64k text", 0, [=]() mutable {
    SetVarnVendorInfo(longName.data());
    return 0;
  });
  table.Add("SetHashing", "size 0xFFFFFFFF", 0, [=] { return static_cast<LONGLONG>(SetHashing(0xFFFFFFFF)); });
  table.Add("ResetVarnServerRate", "rate 0", TRUE, [=] { return ResetVarnServerRate(0); });
  table.Run();
}

}  // namespace
