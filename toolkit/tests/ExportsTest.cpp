#include "CLumoAExCallback.h"
#include "CVorlixApp.h"
#include "OPCTagProperty.h"
#include "Vorlix.h"
#include "support/HostCalls.h"

#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

void Write(DWORD, VARIANT*, DWORD*) {}
void Write2(DWORD, VARIANT*, DWORD*, char*) {}
void ReadDevice(DWORD, VARIANT*, WORD*, FILETIME*) {}
void UnknownItem(char*, char*) {}
void ItemRemoved(DWORD, char*, char*) {}
void Disconnect(DWORD) {}
void Rate(DWORD, DWORD) {}
void EventMessage(char*) {}

// 1900-01-01 00:00, which is OLE date 2.0.
constexpr ULONGLONG kJanuary1900 = 94354848000000000ULL;

const OPCTag& TagOf(DWORD handle) { return *VorlixApp().TagFromHandle(handle); }

}  // namespace

TEST(Exports, EachRegistrationSaysWhetherACallbackIsSet) {
  const std::function<BOOL(bool)> registrations[] = {
      [](bool on) { return EnableWriteNotification(on ? Write : nullptr, TRUE); },
      [](bool on) { return EnableWriteNotification2(on ? Write2 : nullptr, TRUE); },
      [](bool on) { return EnableDeviceRead(on ? ReadDevice : nullptr); },
      [](bool on) { return EnableUnknownItemNotification(on ? UnknownItem : nullptr); },
      [](bool on) { return EnableItemRemovalNotification(on ? ItemRemoved : nullptr); },
      [](bool on) { return EnableDisconnectNotification(on ? Disconnect : nullptr); },
      [](bool on) { return EnableRateNotification(on ? Rate : nullptr); },
      [](bool on) { return EnableEventMsgs(on ? EventMessage : nullptr); },
  };
  for (const auto& registration : registrations) {
    EXPECT_TRUE(registration(true));
    EXPECT_FALSE(registration(false));
  }
  CVorlixApp& app = VorlixApp();
  EXPECT_EQ(app.DeviceReadProc().Get(), nullptr);
  EXPECT_EQ(app.DisconnectProc().Get(), nullptr);
  EXPECT_TRUE(EnableRateNotification(Rate));
  EXPECT_EQ(app.RateProc().Get(), Rate);
}

TEST(Exports, ATagThatIsNotWritableIsReadOnly) {
  char readOnly[] = "Tags.ReadOnly";
  char writable[] = "Tags.Writable";
  char secure[] = "Tags.Secure";
  const OPCTag& r = TagOf(CreateTag(readOnly, MakeR4(1.0f), OPC_QUALITY_GOOD, FALSE));
  const OPCTag& w = TagOf(CreateTag(writable, MakeR4(1.0f), OPC_QUALITY_GOOD, TRUE));
  // A host that asks for no NT write level still gets a tag clients may write.
  const OPCTag& s = TagOf(CreateSecureTag(secure, MakeR4(1.0f), OPC_QUALITY_GOOD, 0x10000, 0));
  EXPECT_EQ(r.readAccess, 0x10001u);
  EXPECT_EQ(r.writeAccess, 0u);
  EXPECT_EQ(r.AccessRights(), OPC_READABLE);
  EXPECT_EQ(w.readAccess, 0x10001u);
  EXPECT_EQ(w.writeAccess, 0x10002u);
  EXPECT_EQ(w.AccessRights(), OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(s.writeAccess, 2u);
  EXPECT_EQ(s.AccessRights(), OPC_READABLE | OPC_WRITEABLE);
}

TEST(Exports, DatesConvertWithoutATimeZoneShiftAndRefuseWhatTheyCannotHold) {
  DATE date = 2.0;
  FILETIME fileTime{};
  ASSERT_TRUE(ConvertVBDateToFileTime1(&date, &fileTime));
  EXPECT_EQ(FileTimeToTicks(fileTime), kJanuary1900);
  fileTime = TicksToFileTime(kJanuary1900 + 36ULL * 3600 * 10000000);  // a day and a half later
  ASSERT_TRUE(ConvertFileTimeToVBDate1(&fileTime, &date));
  EXPECT_DOUBLE_EQ(date, 3.5);

  const FILETIME untouchedTime = {1, 2};
  for (DATE bad : {std::numeric_limits<double>::quiet_NaN(), 1e10, -1e10}) {
    FILETIME out = untouchedTime;
    EXPECT_FALSE(ConvertVBDateToFileTime1(&bad, &out)) << bad;
    EXPECT_EQ(out.dwLowDateTime, 1u);
    EXPECT_EQ(out.dwHighDateTime, 2u);
  }
  FILETIME tooLate = TicksToFileTime(1ULL << 63);
  date = 42.0;
  EXPECT_FALSE(ConvertFileTimeToVBDate1(&tooLate, &date));
  EXPECT_EQ(date, 42.0);
  EXPECT_FALSE(ConvertVBDateToFileTime1(nullptr, &fileTime));
  EXPECT_FALSE(ConvertVBDateToFileTime1(&date, nullptr));
  EXPECT_FALSE(ConvertFileTimeToVBDate1(nullptr, &date));
  EXPECT_FALSE(ConvertFileTimeToVBDate1(&fileTime, nullptr));
}

TEST(Exports, LevelAlarmSettingsAreKeptPerTag) {
  const DWORD tag = NewTag("Alarms.Tank");
  EXPECT_TRUE(SetItemLevelAlarm(tag, 4, 120.5f, 900, TRUE));
  float limit = 0;
  DWORD severity = 0;
  BOOL enabled = FALSE;
  ASSERT_TRUE(GetItemLevelAlarm(tag, 4, &limit, &severity, &enabled));
  EXPECT_EQ(limit, 120.5f);
  EXPECT_EQ(severity, 900u);
  EXPECT_TRUE(enabled);
  ASSERT_TRUE(GetItemLevelAlarm(tag, 1, &limit, &severity, &enabled));  // a default
  EXPECT_EQ(limit, 0.0f);
  EXPECT_EQ(severity, 200u);
  EXPECT_FALSE(enabled);

  for (int alarm : {0, 5}) {
    EXPECT_FALSE(SetItemLevelAlarm(tag, alarm, 1.0f, 1, TRUE));
    EXPECT_FALSE(GetItemLevelAlarm(tag, alarm, &limit, &severity, &enabled));
  }
  EXPECT_FALSE(SetItemLevelAlarm(VORLIX_INVALID_TAG, 1, 1.0f, 1, TRUE));
  EXPECT_FALSE(GetItemLevelAlarm(tag, 1, nullptr, &severity, &enabled));
  EXPECT_EQ(limit, 0.0f);
}

TEST(Exports, ACustomPropertyIsStoredOncePerIdAboveTheStandardOnes) {
  const DWORD tag = NewTag("Properties.Tank");
  char first[] = "Volume";
  char second[] = "Volume in litres";
  EXPECT_TRUE(SetTagProperties(tag, 5000, first, MakeI4(1)));
  EXPECT_TRUE(SetTagProperties(tag, 5000, second, MakeI4(2)));
  EXPECT_FALSE(SetTagProperties(tag, 6, first, MakeI4(3)));
  EXPECT_FALSE(SetTagProperties(tag, 0, first, MakeI4(3)));
  EXPECT_FALSE(SetTagProperties(tag, 5001, nullptr, MakeI4(3)));
  EXPECT_FALSE(SetTagProperties(VORLIX_INVALID_TAG, 5001, first, MakeI4(3)));
  const OPCTag& t = TagOf(tag);
  ASSERT_EQ(t.properties.size(), 1u);
  EXPECT_EQ(t.properties[0]->id, 5000u);
  EXPECT_EQ(t.properties[0]->description, "Volume in litres");
  EXPECT_EQ(t.properties[0]->value.lVal, 2);
}

TEST(Exports, AnAECallbackObjectReplacesTheOneBefore) {
  struct Counted : CLumoAExCallback {
    explicit Counted(int& deletions) : deletions(deletions) {}
    ~Counted() override { ++deletions; }
    int& deletions;
  };
  int deletions = 0;
  auto* first = new Counted(deletions);
  EXPECT_TRUE(SetAEServerCallback(TRUE, first));
  EXPECT_EQ(VorlixApp().AECallback().get(), first);
  EXPECT_FALSE(VorlixApp().LevelAlarmEvents());
  EXPECT_TRUE(SetAEServerCallback(FALSE, new Counted(deletions)));
  EXPECT_EQ(deletions, 1);
  EXPECT_TRUE(VorlixApp().LevelAlarmEvents());
  EXPECT_TRUE(SetAEServerCallback(FALSE, nullptr));
  EXPECT_EQ(deletions, 2);
}

TEST(Exports, ServerStateIsStored) {
  SetServerState(4);
  EXPECT_EQ(VorlixApp().ServerState(), 4u);
}
