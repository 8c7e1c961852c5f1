// The road benchmark's server side: the toolkit's OPC server with the
// benchmark's tags, its clients started in this process (threads) or in
// processes of their own (this program again, with "client"), and the
// measurement. It prints one line of figures:
//
//   deliveries: seconds=S items=N   items the clients' sinks received while
//                                   the host updated every tag for S seconds
//   read:       seconds=S reads=N call_seconds=T calls=M
//                                   N synchronous cache reads took S seconds,
//                                   and M calls that do no work (the server's
//                                   locale) took T seconds: the bare round trip
//
// or "error: ..." and a non-zero exit code.
#pragma once

#include "RoadBoard.h"

#include <string>
#include <vector>

struct RoadOptions {
  RoadBoardData::Task task = RoadBoardData::kSubscribe;
  int clients = 1;
  int items = 10000;
  bool outOfProcess = false;
  double seconds = 2.0;
};

class RoadServer {
 public:
  static constexpr UINT kServerRateMs = 10;

  explicit RoadServer(const RoadOptions& options) : options_(options) {}
  RoadServer(const RoadServer&) = delete;
  RoadServer& operator=(const RoadServer&) = delete;

  int Run();

 private:
  bool Start(std::string& error);
  bool StartClients(std::string& error);
  // Waits until every client is ready or one failed.
  bool WaitForClients(std::string& error);
  void MeasureDeliveries(std::string& error);
  void StopClients();

  const RoadOptions options_;
  RoadBoard board_;
  std::vector<DWORD> tags_;
  std::vector<HANDLE> clients_;
};
