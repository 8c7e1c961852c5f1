// The host's command line:
//
//   vorlix-host --register [--simulate] [--progid NAME] [DATA-FILE]
//   vorlix-host --unregister [--progid NAME]
//   vorlix-host --stop [--progid NAME]
//   vorlix-host [--simulate] [--progid NAME] [--count-task-memory] [DATA-FILE] [-Embedding]
//
// --count-task-memory prints, as the host ends, how many blocks of the COM
// task allocator taken while it served are still open (0 when every block
// handed to a client was freed by COM's stubs and the toolkit). OLE Automation
// keeps a few freed texts (BSTRs) for reuse, which count as open: a run that
// must see 0 sets OANOCACHE=1 in the host's environment, which turns that off.
// COM adds "-Embedding" (or "/Embedding") when it starts the host for a client.
#pragma once

#include <string>
#include <vector>

struct HostOptions {
  enum class Action { Serve, Register, Unregister, Stop };

  Action action = Action::Serve;
  bool simulate = false;
  bool startedByCom = false;
  bool countTaskMemory = false;
  std::wstring progId = L"ZelvoOPCServer";
  // Empty: the demo data beside the program.
  std::wstring dataFile;

  // False, with a one-line reason, for a command line the host does not know.
  static bool Parse(const std::vector<std::wstring>& arguments, HostOptions& options, std::wstring& error);
  // The arguments COM starts the registered host with (without -Embedding),
  // each quoted as the system's command-line splitter reads it back.
  std::wstring ServeArguments() const;
};

// One argument quoted for a Windows command line.
std::wstring QuoteArgument(const std::wstring& argument);
