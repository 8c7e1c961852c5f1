#include "support/RegistryTree.h"

#include <cstring>

namespace {

std::string ValueText(DWORD type, const std::vector<BYTE>& data, DWORD bytes) {
  const char* text = reinterpret_cast<const char*>(data.data());
  if (type == REG_SZ && bytes > 0 && std::strlen(text) == bytes - 1) return text;
  return "<type " + std::to_string(type) + ", " + std::to_string(bytes) + " bytes>";
}

std::string ValuesOf(HKEY key) {
  std::string values;
  char name[256];
  std::vector<BYTE> data(8192);
  for (DWORD index = 0;; ++index) {
    DWORD nameChars = sizeof name;
    DWORD type = REG_NONE;
    DWORD bytes = static_cast<DWORD>(data.size());
    if (RegEnumValueA(key, index, name, &nameChars, nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS) break;
    values += " " + std::string(*name == '\0' ? "@" : name) + "=" + ValueText(type, data, bytes);
  }
  return values;
}

void Walk(HKEY key, const std::string& path, std::vector<std::string>* lines) {
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD nameChars = sizeof name;
    if (RegEnumKeyExA(key, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::string childPath = path.empty() ? name : path + "\\" + name;
    HKEY child = nullptr;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) {
      lines->push_back(childPath + " <cannot open>");
      continue;
    }
    lines->push_back(childPath + ValuesOf(child));
    Walk(child, childPath, lines);
    RegCloseKey(child);
  }
}

}  // namespace

std::vector<std::string> RegistryTree(HKEY key) {
  std::vector<std::string> lines;
  const std::string ownValues = ValuesOf(key);
  if (!ownValues.empty()) lines.push_back("." + ownValues);
  Walk(key, "", &lines);
  return lines;
}
