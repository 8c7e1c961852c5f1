#include "CommandLine.h"

#include <windows.h>
#include <shellapi.h>

std::vector<std::wstring> CommandLine::Arguments() {
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  for (int i = 1; list && i < count; ++i) arguments.emplace_back(list[i]);
  if (list) LocalFree(list);
  return arguments;
}
