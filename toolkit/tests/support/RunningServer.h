// The OPC server started under the tests' class identifier for one test, with
// a short shut-down wait so that a test that leaves a client connected stays
// fast; stopped again at the end.
#pragma once

#include "platform/wintypes.h"

class RunningServer {
 public:
  explicit RunningServer(UINT rate = 10);
  ~RunningServer();
  RunningServer(const RunningServer&) = delete;
  RunningServer& operator=(const RunningServer&) = delete;

  bool Started() const { return started_; }

 private:
  bool started_;
};

// Makes the shut-down wait for client threads short.
void UseShortClientWait();
