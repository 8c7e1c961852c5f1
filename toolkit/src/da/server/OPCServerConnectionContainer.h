// The server's connection-point container, with its one point for the
// client's IOPCShutdown sink, through which the server asks the client to let
// go of it.
#pragma once

#include "com/ConnectionContainer.h"

class OPCServer;

class OPCServerConnectionContainer final : public ConnectionContainer {
 public:
  explicit OPCServerConnectionContainer(OPCServer& server);

  // Calls the connected sink's ShutdownRequest with an empty reason on the
  // calling thread, which holds no server lock; its answer is not looked at.
  // Nothing happens without a sink.
  void ShutdownRequest();
};
