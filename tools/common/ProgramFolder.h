// Paths beside the running program and absolute paths.
#pragma once

#include <string>

class ProgramFolder {
 public:
  static std::wstring ProgramPath();
  static std::wstring Beside(const std::wstring& name);
  // The absolute form of a path given relative to the current folder.
  static std::wstring Absolute(const std::wstring& path);
};
