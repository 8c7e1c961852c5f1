// The arguments of the running program's command line, split as the system
// splits them, without the program's own name.
#pragma once

#include <string>
#include <vector>

class CommandLine {
 public:
  static std::vector<std::wstring> Arguments();
};
