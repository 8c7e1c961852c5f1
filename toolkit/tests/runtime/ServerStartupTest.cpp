#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "da/server/OPCServer.h"
#include "support/Eventually.h"
#include "support/OpcTestClient.h"
#include "support/RunningServer.h"
#include "support/ThreadCount.h"

#include "platform/classobject.h"
#include "platform/cominit.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr CLSID kOtherClassId = {0x5A3C0E12, 0x7D21, 0x4B8E, {0x9F, 0x10, 0x2C, 0x64, 0xB7, 0x0D, 0x31, 0xE5}};

BOOL Init(UINT rate, CLSID classId = kTestServerClassId) {
  return InitVarnOPCsvr(reinterpret_cast<BYTE*>(&classId), rate);
}

// What a client finds registered under the tests' class identifier: the class
// object, or NULL.
IUnknown* RegisteredClassObject() {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  void* object = nullptr;
  if (SUCCEEDED(CoGetClassObject(kTestServerClassId, CLSCTX_ALL, nullptr, IID_IUnknown, &object))) {
    static_cast<IUnknown*>(object)->Release();
  }
  CoUninitialize();
  return static_cast<IUnknown*>(object);
}

// Whether the calling thread has no COM initialisation left.
bool ComUninitialized() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  CoUninitialize();
  return hr == S_OK;
}

// A class object of someone else.
class ForeignClassObject : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
};

}  // namespace

TEST(ServerStartup, TheServerRateIsAtLeastTenMilliseconds) {
  UseShortClientWait();
  const struct {
    UINT requested;
    UINT rate;
  } cases[] = {{0, 10}, {5, 10}, {10, 10}, {1000, 1000}};
  for (const auto& c : cases) {
    ASSERT_TRUE(Init(c.requested));
    EXPECT_EQ(VorlixApp().ServerRate(), c.rate) << c.requested;
    EXPECT_TRUE(UninitVarnOPCsvr());
  }
  EXPECT_TRUE(ResetVarnServerRate(5));
  EXPECT_EQ(VorlixApp().ServerRate(), 10u);
  EXPECT_TRUE(ResetVarnServerRate(250));
  EXPECT_EQ(VorlixApp().ServerRate(), 250u);
}

TEST(ServerStartup, ASecondInitFailsAndChangesNothing) {
  RunningServer server(100);
  ASSERT_TRUE(server.Started());
  const FILETIME started = VorlixApp().StartTime();
  EXPECT_NE(started.dwHighDateTime, 0u);
  EXPECT_FALSE(Init(20, kOtherClassId));
  EXPECT_FALSE(InitVarnOPCsvr(nullptr, 20));
  EXPECT_EQ(VorlixApp().ServerRate(), 100u);
  EXPECT_EQ(VorlixApp().ServerClsid(), kTestServerClassId);
  const FILETIME now = VorlixApp().StartTime();
  EXPECT_EQ(std::memcmp(&now, &started, sizeof now), 0);
}

TEST(ServerStartup, InitAfterUninitReusesTheClassObjectAndTheTimerThread) {
  UseShortClientWait();
  const int threadsBefore = ThreadCount();
  ASSERT_TRUE(Init(10));
  IUnknown* const classObject = RegisteredClassObject();
  ASSERT_NE(classObject, nullptr);
  EXPECT_EQ(ThreadCount(), threadsBefore + 1);  // the timer's

  EXPECT_TRUE(UninitVarnOPCsvr());
  EXPECT_EQ(RegisteredClassObject(), classObject);
  {
    OpcTestClient client;
    EXPECT_EQ(client.Connect(), E_FAIL);
  }
  ASSERT_TRUE(Init(20));
  EXPECT_EQ(RegisteredClassObject(), classObject);
  EXPECT_EQ(ThreadCount(), threadsBefore + 1);
  EXPECT_EQ(VorlixApp().ServerRate(), 20u);
  EXPECT_TRUE(UninitVarnOPCsvr());
}

TEST(ServerStartup, InitFailsAndGivesComBackWhenTheClassIsTaken) {
  ForeignClassObject foreign;
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(kTestServerClassId, &foreign, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie),
            S_OK);
  EXPECT_FALSE(Init(10));
  EXPECT_TRUE(ComUninitialized());
  ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_TRUE(Init(10));
  EXPECT_TRUE(UninitVarnOPCsvr());
}

TEST(ServerStartup, InitFailsAndCleansUpWhenTheTimerCannotStart) {
  ThreadFailNextCreations(1);
  EXPECT_FALSE(Init(10));
  EXPECT_TRUE(ComUninitialized());
  EXPECT_EQ(RegisteredClassObject(), nullptr);
  EXPECT_TRUE(Init(10));
  EXPECT_TRUE(UninitVarnOPCsvr());
}

TEST(ServerStartup, WithoutComOfItsOwnModelTheTimerScansAndLeavesComAlone) {
  UseShortClientWait();
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_TRUE(SetThreadingModel(2));
  ASSERT_TRUE(Init(10));  // apartment COM is refused on this multithreaded thread
  {
    OpcTestClient client;
    ASSERT_EQ(client.Connect(), S_OK);
    const OPCServer* object = static_cast<OPCServer*>(client.Server());
    // Only the worker's first pass and the timer's scans count up.
    EXPECT_TRUE(Eventually([&] { return object->ScanCount() >= 3; }));
  }
  EXPECT_TRUE(UninitVarnOPCsvr());
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);  // the test's own is still there
  CoUninitialize();
  CoUninitialize();
}
