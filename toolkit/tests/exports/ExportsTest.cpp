#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include "platform/wintime.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(r.live->readAccess, 0x10001u);
  EXPECT_EQ(r.live->writeAccess, 0u);
  EXPECT_EQ(r.AccessRights(), OPC_READABLE);
  EXPECT_EQ(w.live->readAccess, 0x10001u);
  EXPECT_EQ(w.live->writeAccess, 0x10002u);
  EXPECT_EQ(w.AccessRights(), OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(s.live->writeAccess, 2u);
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

TEST(Exports, ServerStateIsStored) {
  SetServerState(4);
  EXPECT_EQ(VorlixApp().ServerState(), 4u);
}
