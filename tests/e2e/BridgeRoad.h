// The whole road after a login: the main window's configuration step has
// started the WebSocket client and the bridge on the stand-in's devices, both
// channels are open, and an in-process OPC client is ready to connect to the
// program's OPC server.
#pragma once

#include <memory>

#include <QPointer>

#include "support/OpcTestClient.h"
#include "support/bridgetest.h"
#include "support/recordingwindow.h"

class BridgeRoad : public BridgeTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // The one frame of the write channel after a client wrote 1.5 to
  // A1.Analog.Temp and false to A1.Switch.Pump.
  static const char* const tempAndPumpWriteBatch;

  // The handle of the bridge's tag of that name.
  static DWORD handleOf(const char* name);
  // The tag's value, when its quality is good (else empty).
  static VARIANT goodValue(const char* name);

  QPointer<RecordingWindow> window = new RecordingWindow;
  std::unique_ptr<OpcTestClient> client;
};
