// The client's commands, each printing its lines to `out`. A command either
// succeeds or names the call that failed; Run turns that into the exit code
// and the one-line error.
#pragma once

#include "ArrivalLog.h"
#include "ClientFailure.h"
#include "ClientOptions.h"
#include "OpcSession.h"

#include <atomic>
#include <ostream>

class ClientCommands {
 public:
  ClientCommands(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  // COM must be initialised on the calling thread (multithreaded). 0 on
  // success; otherwise 1 with "opc-client: CALL failed: 0x... (text)" on `err`.
  int Run(const ClientOptions& options);

  // Ends a running watch or events command as if its number had come (Ctrl+C).
  static void StopRunning();

  ClientFailure List();
  ClientFailure Status();
  ClientFailure Browse(const std::wstring& filter);
  ClientFailure Props(const std::wstring& item);
  ClientFailure Read(const std::vector<std::wstring>& items, bool device);
  ClientFailure Write(const std::vector<std::wstring>& pairs);
  ClientFailure Watch(const ClientOptions& options);
  ClientFailure Events(const ClientOptions& options);

  OpcSession& Session() { return session_; }

 private:
  ClientFailure WaitFor(ArrivalLog& log, const ClientOptions& options, const char* what);

  std::ostream& out_;
  std::ostream& err_;
  OpcSession session_;
  static std::atomic<ArrivalLog*> running_;
};
