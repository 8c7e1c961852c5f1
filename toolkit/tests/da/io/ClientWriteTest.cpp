#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include "platform/wintime.h"

#include <gtest/gtest.h>

namespace {

struct WriteCall {
  DWORD tag;
  LONG value;
  std::string user;  // empty for WRITENOTIFYPROC
  bool lockHeld;
};
std::vector<WriteCall> writeCalls;
DWORD answer = 0;

void RecordWrite(DWORD tag, VARIANT* value, DWORD* result) {
  writeCalls.push_back({tag, value->lVal, "", VorlixApp().GetServerLock().HeldByCurrentThread()});
  *result = answer;
}

void RecordWrite2(DWORD tag, VARIANT* value, DWORD* result, char* user) {
  writeCalls.push_back({tag, value->lVal, user, VorlixApp().GetServerLock().HeldByCurrentThread()});
  *result = answer;
}

// As a host does: confirms the written value with an update.
void ConfirmWrite(DWORD tag, VARIANT* value, DWORD* result, char*) {
  *result = UpdateTag(tag, *value, OPC_QUALITY_GOOD) ? 0 : OPC_E_BADRIGHTS;
}

void RemoveWrittenTag(DWORD tag, VARIANT*, DWORD*, char*) { RemoveTag(tag); }

HRESULT Write(const std::string& tagName, LONG value, const char* user = "Unknown") {
  VARIANT written = MakeI4(value);
  return VorlixApp().ClientWrite(user, tagName, &written);
}

const FILETIME kStamp = {0x1000, 0x01D00000};

}  // namespace

TEST(ClientWrite, WithoutCallbackTheValueIsStoredAlone) {
  const DWORD tag = NewTag("Dev.Value", MakeI4(1));
  ASSERT_TRUE(UpdateTagWithTimeStamp(tag, MakeI4(1), OPC_QUALITY_BAD, kStamp));
  EXPECT_EQ(Write("Dev.Value", 5), S_OK);
  const TagReading state = ReadTagState(tag);
  EXPECT_EQ(state.value.lVal, 5);
  EXPECT_EQ(state.quality, OPC_QUALITY_BAD);
  EXPECT_EQ(FileTimeToTicks(state.timestamp), FileTimeToTicks(kStamp));

  EXPECT_EQ(Write("Dev.Missing", 5), OPC_E_INVALIDHANDLE);
  EXPECT_EQ(Write("Dev", 5), OPC_E_BADRIGHTS);  // a branch takes no writes
}

TEST(ClientWrite, TheHostsAnswerDecidesWithTheLockReleased) {
  const DWORD tag = NewTag("Dev.Value", MakeI4(1));
  EXPECT_TRUE(EnableWriteNotification(RecordWrite, TRUE));
  EXPECT_EQ(Write("Dev.Value", 5), S_OK);
  EXPECT_EQ(ReadTagState(tag).value.lVal, 5);

  answer = static_cast<DWORD>(OPC_E_BADRIGHTS);
  EXPECT_EQ(Write("Dev.Value", 6), OPC_E_BADRIGHTS);
  EXPECT_EQ(ReadTagState(tag).value.lVal, 5);

  ASSERT_EQ(writeCalls.size(), 2u);
  EXPECT_EQ(writeCalls[0].tag, tag);
  EXPECT_EQ(writeCalls[1].value, 6);
  EXPECT_FALSE(writeCalls[0].lockHeld);
  EXPECT_FALSE(EnableWriteNotification(nullptr, FALSE));
  EXPECT_FALSE(VorlixApp().ConvertToCanonical());
}

TEST(ClientWrite, TheSecondCallbackWinsAndGetsTheUserNameCut) {
  const DWORD tag = NewTag("Dev.Value");
  EnableWriteNotification(RecordWrite, TRUE);
  EXPECT_TRUE(EnableWriteNotification2(RecordWrite2, TRUE));
  EXPECT_TRUE(VorlixApp().ConvertToCanonical());
  const std::string longName(300, 'u');
  EXPECT_EQ(Write("Dev.Value", 1, "Unknown"), S_OK);
  EXPECT_EQ(Write("Dev.Value", 2, longName.c_str()), S_OK);
  ASSERT_EQ(writeCalls.size(), 2u);
  EXPECT_EQ(writeCalls[0].user, "Unknown");
  EXPECT_EQ(writeCalls[1].user, std::string(199, 'u'));
  EXPECT_EQ(writeCalls[1].tag, tag);
}

TEST(ClientWrite, TheCallbackMayUpdateOrRemoveTheTag) {
  const DWORD tag = NewTag("Dev.Value", MakeI4(1));
  EnableWriteNotification2(ConfirmWrite, TRUE);
  EXPECT_EQ(Write("Dev.Value", 8), S_OK);
  EXPECT_EQ(ReadTagState(tag).value.lVal, 8);
  EXPECT_EQ(ReadTagState(tag).quality, OPC_QUALITY_GOOD);

  EnableWriteNotification2(RemoveWrittenTag, TRUE);
  EXPECT_EQ(Write("Dev.Value", 9), S_OK);
  EXPECT_EQ(VorlixApp().TagFromHandle(tag), nullptr);
  EXPECT_EQ(Write("Dev.Value", 9), OPC_E_INVALIDHANDLE);
}
