// vorlix-host: a local COM server of the toolkit for tests and demonstrations.
// It registers itself as the OPC server the program registers, serves the
// tags of a data file in the platform stand-in's format, and lets clients in
// other processes reach them through COM (see HostOptions.h for its command line).

#include "CommandLine.h"
#include "HostOptions.h"
#include "HostRegistration.h"
#include "HostServer.h"
#include "Utf8Text.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Fail(const std::wstring& error) {
  std::fprintf(stderr, "vorlix-host: %s\n", NarrowToUtf8(error).c_str());
  return 1;
}

}  // namespace

int main() {
  HostOptions options;
  std::wstring error;
  if (!HostOptions::Parse(CommandLine::Arguments(), options, error)) {
    std::fprintf(stderr,
                 "usage: vorlix-host --register [--simulate] [--progid NAME] [DATA-FILE]\n"
                 "       vorlix-host --unregister [--progid NAME]\n"
                 "       vorlix-host --stop [--progid NAME]\n"
                 "       vorlix-host [--simulate] [--progid NAME] [--count-task-memory] [DATA-FILE]\n");
    return Fail(error);
  }
  switch (options.action) {
    case HostOptions::Action::Register:
      if (!HostRegistration::Register(options, error)) return Fail(error);
      std::printf("vorlix-host: registered as %s\n", NarrowToUtf8(options.progId).c_str());
      return 0;
    case HostOptions::Action::Unregister:
      if (!HostRegistration::Unregister(options, error)) return Fail(error);
      std::printf("vorlix-host: %s unregistered\n", NarrowToUtf8(options.progId).c_str());
      return 0;
    case HostOptions::Action::Stop:
      if (!HostServer::StopRunningHost(options.progId)) return Fail(L"no host of " + options.progId + L" is running");
      return 0;
    case HostOptions::Action::Serve:
      break;
  }
  HostServer server(options);
  return server.Run();
}
