// opc-client: a command-line OPC client that reaches OPC servers in other
// processes through COM (see ClientOptions.h for its commands).

#include "ClientCommands.h"
#include "ClientOptions.h"
#include "CommandLine.h"
#include "ValueFormat.h"

#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

namespace {

BOOL WINAPI OnConsoleControl(DWORD control) {
  if (control != CTRL_C_EVENT && control != CTRL_BREAK_EVENT) return FALSE;
  ClientCommands::StopRunning();
  return TRUE;
}

}  // namespace

int main() {
  const std::vector<std::wstring> arguments = CommandLine::Arguments();

  ClientOptions options;
  std::wstring error;
  if (!ClientOptions::Parse(arguments, options, error)) {
    std::cerr << "usage: opc-client list\n"
                 "       opc-client PROGID status | browse [FILTER] | props ITEM | read ITEM... [--device]\n"
                 "                  | write ITEM=VALUE... | watch ITEM... [--rate MS] [--deadband PCT] [--count N]\n"
                 "                    [--v1] [--timeout S] | events [--count N] [--timeout S]\n"
              << "opc-client: " << ValueFormat::Utf8(error.c_str()) << std::endl;
    return 2;
  }
  const HRESULT initialised = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(initialised)) {
    std::cerr << "opc-client: CoInitializeEx failed: " << ValueFormat::Hresult(initialised) << std::endl;
    return 1;
  }
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  int status = 0;
  {
    ClientCommands commands(std::cout, std::cerr);
    status = commands.Run(options);
  }
  CoUninitialize();
  return status;
}
