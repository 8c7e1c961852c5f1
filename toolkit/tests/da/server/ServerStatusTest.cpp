// The server's status, its error texts and its locale, as a client asks for them.
#include "app/CVorlixApp.h"
#include "da/server/OPCServer.h"
#include "support/ConnectedClient.h"
#include "support/OpcTestGroup.h"
#include "support/TraceCapture.h"

#include "platform/IOPCCommon.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/widetext.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string TakeText(LPWSTR text) {
  std::string narrow = NarrowAnsi(text).value();
  CoTaskMemFree(text);
  return narrow;
}

bool SameTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) == 0; }

class ServerCommon : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(connected.Ready());
    ASSERT_EQ(connected.client.Query(IID_IOPCCommon, &common), S_OK);
  }
  ConnectedClient connected;
  IOPCCommon* common = nullptr;
};

}  // namespace

TEST(ServerStatus, ReportsTheServerAndThisClientsObject) {
  SetVarnVendorInfo(std::string("Vendor text").data());
  SetServerState(OPC_STATUS_SUSPENDED);
  ConnectedClient connected;
  ASSERT_TRUE(connected.Ready());
  OpcTestGroup group(connected.opc, "G");
  FILETIME before;
  CoFileTimeNow(&before);
  OPCSERVERSTATUS* status = nullptr;
  ASSERT_EQ(connected.opc->GetStatus(&status), S_OK);
  EXPECT_TRUE(SameTime(status->ftStartTime, VorlixApp().StartTime()));
  EXPECT_GE(CompareFileTime(&status->ftCurrentTime, &before), 0);
  const FILETIME created = static_cast<OPCServer*>(connected.client.Server())->CreationTime();
  EXPECT_TRUE(SameTime(status->ftLastUpdateTime, created));
  EXPECT_EQ(status->dwServerState, OPC_STATUS_SUSPENDED);
  EXPECT_EQ(status->dwGroupCount, 0u);  // whatever the number of groups
  EXPECT_EQ(status->dwBandWidth, 0u);
  EXPECT_EQ(status->wMajorVersion, 0);
  EXPECT_EQ(status->wReserved, 42);
  EXPECT_EQ(TakeText(status->szVendorInfo), "Vendor text");
  CoTaskMemFree(status);

  EXPECT_EQ(connected.opc->GetStatus(nullptr), E_INVALIDARG);
  for (ULONG failing : {1u, 2u}) {
    const size_t blocks = TaskMemoryLiveBlocks();
    TaskMemoryFailNextAllocations(failing);
    EXPECT_EQ(connected.opc->GetStatus(&status), E_OUTOFMEMORY);
    TaskMemoryFailNextAllocations(0);
    EXPECT_EQ(status, nullptr);
    EXPECT_EQ(TaskMemoryLiveBlocks(), blocks);
  }
}

TEST_F(ServerCommon, ErrorTextsFromEitherInterface) {
  const struct {
    HRESULT code;
    const char* text;
  } cases[] = {
      {OPC_E_UNKNOWNITEMID, "OPC_E_UNKNOWNITEMID: The item definition does not exist within the servers address space"},
      {static_cast<HRESULT>(0xC0041234), "<unknown error: 0xC0041234 -1073475020>"},
  };
  for (const auto& c : cases) {
    LPWSTR text = nullptr;
    ASSERT_EQ(connected.opc->GetErrorString(c.code, 1033, &text), S_OK);
    EXPECT_EQ(TakeText(text), c.text);
    ASSERT_EQ(common->GetErrorString(c.code, &text), S_OK);
    EXPECT_EQ(TakeText(text), c.text);
  }
  EXPECT_EQ(connected.opc->GetErrorString(E_FAIL, 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(common->GetErrorString(E_FAIL, nullptr), E_INVALIDARG);
  LPWSTR text = reinterpret_cast<LPWSTR>(common);
  TaskMemoryFailNextAllocations(1);
  EXPECT_EQ(common->GetErrorString(E_FAIL, &text), E_OUTOFMEMORY);
  EXPECT_EQ(text, nullptr);
}

TEST_F(ServerCommon, TheServerSpeaksTheSystemDefaultLocaleOnly) {
  EXPECT_EQ(common->SetLocaleID(2048), S_OK);
  EXPECT_EQ(common->SetLocaleID(1033), E_INVALIDARG);
  LCID locale = 0;
  ASSERT_EQ(common->GetLocaleID(&locale), S_OK);
  EXPECT_EQ(locale, 2048u);
  EXPECT_EQ(common->GetLocaleID(nullptr), E_INVALIDARG);
  DWORD count = 0;
  LCID* locales = nullptr;
  ASSERT_EQ(common->QueryAvailableLocaleIDs(&count, &locales), S_OK);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(locales[0], 2048u);
  CoTaskMemFree(locales);
  EXPECT_EQ(common->QueryAvailableLocaleIDs(nullptr, &locales), E_INVALIDARG);
  EXPECT_EQ(locales, nullptr);
}

TEST_F(ServerCommon, TheClientNameIsTracedAndKept) {
  TraceCapture capture;
  EXPECT_EQ(common->SetClientName(OLESTR("Trend viewer")), S_OK);
  EXPECT_EQ(capture.Lines().back().text, "SetClientName Trend viewer");
  EXPECT_EQ(static_cast<OPCServer*>(connected.client.Server())->ClientName(), "Trend viewer");
  EXPECT_EQ(common->SetClientName(nullptr), E_INVALIDARG);
}
