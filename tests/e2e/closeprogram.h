#pragma once

#include "korvane.h"
#include "uwebsocket.h"
#include "zelvoopcsrv.h"

// Ends what the main window's configuration step started: its WebSocket
// client, then the window, then the bridge.
inline void closeProgram(ZelvoOpcSrv* window) {
  delete window->webSocketClient();
  delete window;
  delete g_opcServer;
}
