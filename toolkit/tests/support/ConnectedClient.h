// The server started at a base rate with one test client connected through
// IOPCServer; stopped again at the end.
#pragma once

#include "support/OpcTestClient.h"
#include "support/RunningServer.h"

struct ConnectedClient {
  explicit ConnectedClient(UINT rate = 100);
  bool Ready() const { return opc != nullptr; }

  RunningServer server;
  OpcTestClient client;
  IOPCServer* opc = nullptr;
};
