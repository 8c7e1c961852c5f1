// The client's command line:
//
//   opc-client list
//   opc-client PROGID status | browse [FILTER] | props ITEM | read ITEM... [--device]
//              | write ITEM=VALUE... | watch ITEM... [--rate MS] [--deadband PCT] [--count N] [--v1]
//              | events [--count N]
//
// `watch` and `events` run until N values or events have come (or Ctrl+C);
// `--timeout S` ends them with a failure when S seconds pass first.
#pragma once

#include <string>
#include <vector>

struct ClientOptions {
  enum class Command { List, Status, Browse, Props, Read, Write, Watch, Events };

  Command command = Command::List;
  std::wstring progId;
  // Item IDs (read, watch, props), or ITEM=VALUE pairs (write), or the browse filter.
  std::vector<std::wstring> items;
  bool device = false;
  unsigned rateMs = 1000;
  float deadbandPercent = 0;
  // 0: no limit.
  unsigned count = 0;
  unsigned timeoutSeconds = 0;
  bool version1 = false;

  static bool Parse(const std::vector<std::wstring>& arguments, ClientOptions& options, std::wstring& error);
};
