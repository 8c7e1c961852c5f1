// road_bench_worker: the Windows flavour's side of the road benchmark
// (bench/bench_opc_road.cpp runs it under Wine and reports its figures).
//
//   road_bench_worker deliveries [--clients N] [--items N] [--out-of-process] [--seconds S]
//   road_bench_worker read [--items N] [--out-of-process] [--seconds S]
//   road_bench_worker client BOARD INDEX      (a client process the worker starts)

#include "CommandLine.h"
#include "RoadClient.h"
#include "RoadServer.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: road_bench_worker deliveries [--clients N] [--items N] [--out-of-process] [--seconds S]\n"
               "       road_bench_worker read [--items N] [--out-of-process] [--seconds S]\n");
  return 2;
}

bool ParseOptions(const std::vector<std::wstring>& arguments, RoadOptions& options) {
  if (arguments.empty()) return false;
  if (arguments[0] == L"deliveries") {
    options.task = RoadBoardData::kSubscribe;
  } else if (arguments[0] == L"read") {
    options.task = RoadBoardData::kRead;
  } else {
    return false;
  }
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::wstring& option = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    try {
      if (option == L"--out-of-process") {
        options.outOfProcess = true;
      } else if (option == L"--clients" && hasValue && options.task == RoadBoardData::kSubscribe) {
        options.clients = std::stoi(arguments[++i]);
      } else if (option == L"--items" && hasValue) {
        options.items = std::stoi(arguments[++i]);
      } else if (option == L"--seconds" && hasValue) {
        options.seconds = std::stod(arguments[++i]);
      } else {
        return false;
      }
    } catch (const std::exception&) {
      return false;
    }
  }
  return options.items > 0 && options.seconds > 0;
}

int RunClient(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 3) return Usage();
  RoadBoard board;
  if (!board.Open(arguments[1])) {
    std::fprintf(stderr, "road_bench_worker: no board %ls\n", arguments[1].c_str());
    return 1;
  }
  const int index = _wtoi(arguments[2].c_str());
  if (index < 0 || index >= RoadBoardData::kMaxClients) return Usage();
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
  const bool done = RoadClient(board.Data(), index).Run();
  CoUninitialize();
  return done ? 0 : 1;
}

}  // namespace

int main() {
  const std::vector<std::wstring> arguments = CommandLine::Arguments();
  if (!arguments.empty() && arguments[0] == L"client") return RunClient(arguments);
  RoadOptions options;
  if (!ParseOptions(arguments, options)) return Usage();
  RoadServer server(options);
  const int exitCode = server.Run();
  std::fflush(stdout);
  return exitCode;
}
