// The program after a login: the main window's configuration step has started
// the WebSocket client and the bridge on the stand-in's devices, and both
// channels are open. An in-process OPC client is ready to connect to the
// program's server.
#pragma once

#include <memory>

#include <QPointer>

#include <gtest/gtest.h>

#include "closeprogram.h"
#include "korvane.h"
#include "support/OpcTestClient.h"
#include "support/bridgetest.h"
#include "support/recordingwindow.h"
#include "support/waituntil.h"
#include "uwebsocket.h"

class LoggedInProgramTest : public BridgeTest {
protected:
  // The class the program registers and starts its OPC server under.
  static constexpr CLSID serverClass = {0x99B8F472, 0xC037, 0x11D2, {0x80, 0xB8, 0x00, 0x60, 0x97, 0x58, 0x58, 0xBE}};

  void SetUp() override {
    BridgeTest::SetUp();
    window->InitializeConfigData();
    ASSERT_NE(g_opcServer, nullptr);
    ASSERT_TRUE(waitUntil([&] { return logCount("read websocket connect successful") == 1; }));
    ASSERT_TRUE(waitUntil([&] { return logCount("write websocket connect successful") == 1; }));
  }

  void TearDown() override {
    client.reset();
    closeProgram(window.data());
    BridgeTest::TearDown();
  }

  static DWORD handleOf(const char* name) {
    for (const CTag* tag : g_opcServer->tags())
      if (tag->name == QLatin1String(name)) return tag->handle;
    return VORLIX_INVALID_TAG;
  }

  QPointer<RecordingWindow> window = new RecordingWindow;
  std::unique_ptr<OpcTestClient> client = std::make_unique<OpcTestClient>(serverClass);
};
