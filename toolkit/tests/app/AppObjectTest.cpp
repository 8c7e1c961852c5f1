#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "app/IIDTraceName.h"
#include "support/TraceCapture.h"

#include "platform/systemmessage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

TEST(AppObject, DefaultsAfterLoad) {
  CVorlixApp& app = VorlixApp();
  EXPECT_EQ(VarnOPCsvrRevision(), 2051);
  EXPECT_EQ(SetVarnOPCsvrQualifier(0), '.');
  EXPECT_EQ(app.ServerState(), 1u);
  EXPECT_TRUE(app.LevelAlarmEvents());
  EXPECT_EQ(app.VendorInfo(), "Vorlix OPC Server Toolkit");
}

TEST(AppObject, SettersChangeDelimiterAndVendor) {
  EXPECT_EQ(SetVarnOPCsvrQualifier('/'), '/');
  EXPECT_EQ(SetVarnOPCsvrQualifier(0), '/');
  char vendor[] = "Example vendor";
  SetVarnVendorInfo(vendor);
  SetVarnVendorInfo(nullptr);
  EXPECT_EQ(VorlixApp().VendorInfo(), "Example vendor");
}

TEST(AppObject, TraceReachesTheHostCutTo99BytesAsACopy) {
  TraceCapture capture;
  const std::string exact(99, 'a');
  const std::string longer = std::string(99, 'b') + "cut";
  VorlixApp().TraceMessage(exact.c_str());
  VorlixApp().TraceMessage(longer.c_str());
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, exact);
  EXPECT_EQ(lines[1].text, std::string(99, 'b'));
  EXPECT_NE(lines[0].buffer, exact.c_str());
}

TEST(AppObject, NoTraceWithoutCallback) {
  TraceCapture capture;
  EXPECT_FALSE(EnableEventMsgs(nullptr));
  VorlixApp().TraceMessage("dropped");
  EXPECT_TRUE(capture.Lines().empty());
}

TEST(AppObject, TaskMemoryOnlyOnceTheServerHasTheAllocator) {
  CVorlixApp& app = VorlixApp();
  EXPECT_EQ(app.TaskAlloc(16), nullptr);
  EXPECT_EQ(app.AllocWideFromAnsi("x", TRUE), nullptr);

  IMalloc* malloc = nullptr;
  ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &malloc), S_OK);
  app.SetTaskAllocator(malloc);
  const size_t before = TaskMemoryLiveBlocks();
  auto* block = static_cast<unsigned char*>(app.TaskAlloc(64));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::count(block, block + 64, 0), 64);
  app.TaskFree(block, TRUE);
  app.TaskFree(nullptr, TRUE);
  app.TaskFree(nullptr, FALSE);
  EXPECT_EQ(TaskMemoryLiveBlocks(), before);
}

TEST(AppObject, WideCopyConvertsThroughTheAnsiCodePage) {
  CVorlixApp& app = VorlixApp();
  IMalloc* malloc = nullptr;
  ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &malloc), S_OK);
  app.SetTaskAllocator(malloc);
  for (BOOL useTask : {TRUE, FALSE}) {
    // "A温" in GBK, the default code page.
    WCHAR* wide = app.AllocWideFromAnsi("A\xCE\xC2", useTask);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide[0], 0x0041);
    EXPECT_EQ(wide[1], 0x6E29);
    EXPECT_EQ(wide[2], 0x0000);
    if (useTask) {
      EXPECT_EQ(malloc->GetSize(wide), 6u);
    }
    app.TaskFree(wide, useTask);
  }
}

TEST(AppObject, ErrorTexts) {
  const struct {
    DWORD code;
    const char* text;
  } cases[] = {
      {0xC0040007, "OPC_E_UNKNOWNITEMID: The item definition does not exist within the servers address space"},
      {0xC0040203, "OPC_E_INVALID_PID: The server does not recognise the passed property ID."},
      {0x0004000E, "OPC_S_CLAMP: A value passed to WRITE was accepted, but was clamped"},
      {0x8004DEAD, "<unknown error: 0x8004DEAD -2147164499>"},
      {0x00000ABC, "<unknown error: 0x00000ABC 2748>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VorlixApp().GetErrorText(static_cast<HRESULT>(c.code)), c.text) << std::hex << c.code;
  }
  // Any other code the system knows has the system message table's text, in
  // the system's own language and wording.
  char system[128] = {};
  ASSERT_NE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 0x80070057, 0, system,
                           127, nullptr),
            0u);
  EXPECT_EQ(VorlixApp().GetErrorText(E_INVALIDARG), system);
#ifndef _WIN32
  // The stand-in's message table words it as Windows does.
  EXPECT_STREQ(system, "The parameter is incorrect.\r\n");
#endif
}

TEST(AppObject, InterfaceTraceNames) {
  EXPECT_STREQ(IIDTraceName(IID_IClassFactory), " IID_IClassFactory");
  EXPECT_STREQ(IIDTraceName(IID_IMarshal), " IID_IMarshal");
  EXPECT_STREQ(IIDTraceName(IID_IRpcStubBuffer), " IID_IRpcStubBuffer");
  EXPECT_STREQ(IIDTraceName(CLSID_StdMarshal), " CLSID_StdMarshal");
  EXPECT_STREQ(IIDTraceName(IID_IUnknown), "");
  EXPECT_STREQ(IIDTraceName(IID_IPersistFile), "");
}

TEST(AppObject, LockIsRecursiveAndOthersWaitForTheLastUnlock) {
  ServerLock& lock = VorlixApp().GetServerLock();
  lock.Enter();
  lock.Enter();
  EXPECT_TRUE(lock.HeldByCurrentThread());
  std::atomic<bool> entered{false};
  std::thread other([&] {
    EXPECT_FALSE(lock.HeldByCurrentThread());
    lock.Enter();
    entered = true;
    lock.Leave();
  });
  lock.Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered);
  lock.Leave();
  other.join();
  EXPECT_TRUE(entered);
  EXPECT_FALSE(lock.HeldByCurrentThread());
}
