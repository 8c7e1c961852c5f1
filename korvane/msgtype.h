#pragma once

#include <QMetaType>

// The scope of the values the bridge asks the WebSocket client for, with the
// context text that goes with it. Any other value asks for nothing.
enum MsgType : int {
  MsgOneVariable = 0,  // context "<serial>_<data code>"
  MsgOneDevice = 1,    // context: the serial number
  MsgAllDevices = 2,   // every variable of every configured device; no context
};

Q_DECLARE_METATYPE(MsgType)
