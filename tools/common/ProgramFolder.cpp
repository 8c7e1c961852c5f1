#include "ProgramFolder.h"

#include <windows.h>

#include <vector>

std::wstring ProgramFolder::ProgramPath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) return std::wstring(path.data(), length);
    path.resize(path.size() * 2);
  }
}

std::wstring ProgramFolder::Beside(const std::wstring& name) {
  const std::wstring program = ProgramPath();
  return program.substr(0, program.find_last_of(L"\\/") + 1) + name;
}

std::wstring ProgramFolder::Absolute(const std::wstring& path) {
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
  full.resize(written);
  return full;
}
