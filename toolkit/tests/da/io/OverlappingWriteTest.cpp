// Two client writes of one tag whose host callbacks overlap: the host confirms
// each with an update, and the tag must end with the value the host confirmed
// last, the one the clients' items received.
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/Eventually.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "support/SyncIOCalls.h"

#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr LONG kFirstWrite = 111;
constexpr LONG kSecondWrite = 222;

std::atomic<bool> firstConfirmed{false};
std::atomic<bool> secondDone{false};

// Confirms every write with an update; the first write's callback returns
// only after the second write has gone all the way through.
void ConfirmSlowly(DWORD tag, VARIANT* value, DWORD* result, char*) {
  *result = UpdateTag(tag, *value, OPC_QUALITY_GOOD) ? 0 : OPC_E_BADRIGHTS;
  if (value->lVal != kFirstWrite) return;
  firstConfirmed = true;
  Eventually([] { return secondDone.load(); });
}

HRESULT Write(LONG value) {
  VARIANT written = MakeI4(value);
  return VorlixApp().ClientWrite("Unknown", "Dev.Value", &written);
}

}  // namespace

TEST(OverlappingWrite, TheTagKeepsTheValueTheHostConfirmedLast) {
  ConnectedClient connected(10);
  ASSERT_TRUE(connected.Ready());
  const DWORD tag = NewTag("Dev.Value", MakeI4(1));
  OpcTestGroup group(connected.opc, "Watch");
  ASSERT_EQ(group.Added(), S_OK);
  const OPCHANDLE item = group.AddItems({{"Dev.Value", "", 1}}).results.at(0).hServer;
  ASSERT_TRUE(EnableWriteNotification2(ConfirmSlowly, TRUE));

  std::thread first([] { EXPECT_EQ(Write(kFirstWrite), S_OK); });
  ASSERT_TRUE(Eventually([] { return firstConfirmed.load(); }));
  EXPECT_EQ(Write(kSecondWrite), S_OK);
  secondDone = true;
  first.join();

  EXPECT_EQ(ReadTagState(tag).value.lVal, kSecondWrite);
  IOPCSyncIO* io = nullptr;
  ASSERT_EQ(group.Unknown()->QueryInterface(IID_IOPCSyncIO, reinterpret_cast<void**>(&io)), S_OK);
  const SyncRead read = ReadItems(io, OPC_DS_CACHE, {item});
  ASSERT_EQ(read.hr, S_OK);
  EXPECT_EQ(read.states[0].vDataValue.lVal, kSecondWrite);
  io->Release();
  EnableWriteNotification2(nullptr, FALSE);
}
