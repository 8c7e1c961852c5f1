#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include "platform/bstr.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

namespace {

ULONGLONG Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeToTicks(now);
}

}  // namespace

TEST(TagUpdate, StoresValueTypeQualityAndTime) {
  const DWORD tag = NewTag("A.B");
  const ULONGLONG before = Now();
  ASSERT_TRUE(UpdateTag(tag, MakeI4(42), OPC_QUALITY_GOOD));
  const ULONGLONG after = Now();
  TagReading state = ReadTagState(tag);
  ASSERT_TRUE(state.found);
  EXPECT_EQ(state.value.vt, VT_I4);
  EXPECT_EQ(state.value.lVal, 42);
  EXPECT_EQ(state.quality, OPC_QUALITY_GOOD);
  EXPECT_GE(FileTimeToTicks(state.timestamp), before);
  EXPECT_LE(FileTimeToTicks(state.timestamp), after);
  OPCITEMRESULT result;
  EXPECT_EQ(Validate("", "A.B", VT_EMPTY, &result), S_OK);
  EXPECT_EQ(result.vtCanonicalDataType, VT_I4);

  const FILETIME given = {0x12345678, 0x01D00000};
  ASSERT_TRUE(UpdateTagWithTimeStamp(tag, MakeR4(2.5f), OPC_QUALITY_BAD, given));
  state = ReadTagState(tag);
  EXPECT_EQ(state.value.vt, VT_R4);
  EXPECT_EQ(state.value.fltVal, 2.5f);
  EXPECT_EQ(state.quality, OPC_QUALITY_BAD);
  EXPECT_EQ(FileTimeToTicks(state.timestamp), FileTimeToTicks(given));
}

TEST(TagUpdate, UnknownHandlesNullPointersAndBadValuesChangeNothing) {
  const DWORD tag = NewTag("Kept", MakeI4(7));
  const DWORD removed = NewTag("Gone");
  ASSERT_TRUE(RemoveTag(removed));
  const FILETIME time = {1, 1};
  for (DWORD handle : std::initializer_list<DWORD>{0u, VORLIX_INVALID_TAG, removed, 0x7777u}) {
    EXPECT_FALSE(UpdateTag(handle, MakeI4(1), OPC_QUALITY_GOOD)) << handle;
    EXPECT_FALSE(UpdateTagWithTimeStamp(handle, MakeI4(1), OPC_QUALITY_GOOD, time)) << handle;
    EXPECT_FALSE(ReadTagState(handle).found) << handle;
  }
  VARIANT invalid;
  VariantInit(&invalid);
  invalid.vt = 0x7FFF;
  EXPECT_FALSE(UpdateTag(tag, invalid, OPC_QUALITY_BAD));
  EXPECT_FALSE(UpdateTagByName(std::string("Kept").data(), invalid, OPC_QUALITY_BAD));
  EXPECT_FALSE(UpdateTagByName(nullptr, MakeI4(1), OPC_QUALITY_GOOD));
  EXPECT_FALSE(ReadTag(tag, nullptr));
  VARIANT value;
  VariantInit(&value);
  WORD quality = 0;
  EXPECT_FALSE(ReadTagWithTimeStamp(tag, &value, &quality, nullptr));
  EXPECT_FALSE(VorlixApp().UpdateTagValue(tag, nullptr, OPC_QUALITY_GOOD));

  const TagReading state = ReadTagState(tag);
  EXPECT_EQ(state.value.vt, VT_I4);
  EXPECT_EQ(state.value.lVal, 7);
  EXPECT_EQ(state.quality, OPC_QUALITY_GOOD);
}

TEST(TagUpdate, ByNameFindsLeavesAndTopLevelBranchesOnly) {
  const DWORD tag = NewTag("A.B.C");
  EXPECT_FALSE(UpdateTagByName(std::string("A.B").data(), MakeI4(1), OPC_QUALITY_GOOD));
  EXPECT_TRUE(UpdateTagByName(std::string("A.B.C").data(), MakeI4(2), OPC_QUALITY_GOOD));
  EXPECT_EQ(ReadTagState(tag).value.lVal, 2);
  EXPECT_TRUE(UpdateTagByName(std::string("A").data(), MakeI4(3), OPC_QUALITY_GOOD));
  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  EXPECT_EQ(app.FindTag("", "A")->live->value.lVal, 3);
}

TEST(TagUpdate, ReadFreesWhatTheCallersVariantHeld) {
  const DWORD tag = NewTag("Text", MakeI4(9));
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(OLESTR("previous"));
  ASSERT_TRUE(ReadTag(tag, &value));
  EXPECT_EQ(value.vt, VT_I4);
  EXPECT_EQ(value.lVal, 9);
}
