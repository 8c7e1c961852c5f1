#include "tags/ItemName.h"

#include "platform/widetext.h"

#include <algorithm>

std::string MakeFullItemName(std::string_view accessPath, std::string_view itemId, char delimiter) {
  std::string fullName(accessPath);
  if (!accessPath.empty() && accessPath.back() != delimiter) fullName += delimiter;
  fullName.append(itemId);
  return fullName;
}

std::vector<std::string> SplitItemName(const std::string& name, char delimiter) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start < name.size()) {
    const size_t end = name.find(delimiter, start);
    if (end == std::string::npos) {
      components.push_back(name.substr(start));
      break;
    }
    components.push_back(name.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

std::string_view NextItemNameComponent(std::string_view name, char delimiter, size_t* position) {
  const size_t start = *position;
  const size_t end = name.find(delimiter, start);
  if (end == std::string_view::npos) {
    *position = name.size();
    return name.substr(start);
  }
  *position = end + 1;
  return name.substr(start, end - start);
}

namespace {

// Whether the ANSI code page takes every 7-bit byte to the same code unit, as
// every code page but a few old mainframe ones does: then a 7-bit name comes
// back unchanged without being converted.
bool AnsiKeepsSevenBitText() {
  static const bool keeps = [] {
    std::string all;
    for (int c = 1; c < 0x80; ++c) all.push_back(static_cast<char>(c));
    const WideString wide = WidenAnsi(all);
    if (wide.size() != all.size()) return false;
    for (size_t i = 0; i < all.size(); ++i) {
      if (wide[i] != static_cast<WCHAR>(all[i])) return false;
    }
    return NarrowAnsi(wide) == all;
  }();
  return keeps;
}

}  // namespace

bool ClientCanNameItem(const std::string& name) {
  if (name.empty()) return false;
  const bool sevenBit = std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
  if (sevenBit && AnsiKeepsSevenBitText()) return true;
  const std::optional<std::string> back = NarrowAnsi(WidenAnsi(name));
  return back && *back == name;
}
