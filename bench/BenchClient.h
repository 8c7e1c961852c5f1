// In-process OPC clients for the benchmarks, made with the toolkit tests'
// client: the server started once per program, and a client with one group
// over a list of tags, optionally with a counting data-callback sink.
#pragma once

#include "CountingDataCallback.h"
#include "support/OpcTestClient.h"
#include "support/OpcTestGroup.h"

#include "platform/IConnectionPointContainer.h"

#include <memory>
#include <string>
#include <vector>

// The server, started once for the whole program at the 10 ms server rate.
void StartBenchServer();

// The client items over every name, client handle = position.
std::vector<TestItem> BenchItems(const std::vector<std::string>& names);

// One client with one active group over the tags; with `advise`, a counting
// sink on the group's IOPCDataCallback point.
class BenchClient {
 public:
  BenchClient(const std::vector<std::string>& names, DWORD rate, bool advise = true);
  ~BenchClient();
  BenchClient(const BenchClient&) = delete;
  BenchClient& operator=(const BenchClient&) = delete;

  IOPCServer* Server() { return client_.OpcServer(); }
  OpcTestGroup& Group() { return *group_; }

  CountingDataCallback sink;

 private:
  OpcTestClient client_;
  std::unique_ptr<OpcTestGroup> group_;
  IConnectionPoint* point_ = nullptr;
};
