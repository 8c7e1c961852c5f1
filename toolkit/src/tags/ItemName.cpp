#include "tags/ItemName.h"

#include "platform/codepage.h"
#include "platform/widetext.h"

#include <algorithm>

namespace {

// The first delimiter at or after `from` (a character boundary) that is a
// character of its own: the second byte of a double-byte character may have
// the delimiter's value. ASCII bytes start no such character, so names in
// ASCII never ask the code page.
size_t FindDelimiter(std::string_view name, char delimiter, size_t from) {
  for (size_t at = from; at < name.size(); ++at) {
    if (name[at] == delimiter) return at;
    const BYTE byte = static_cast<BYTE>(name[at]);
    if (byte >= 0x80 && IsDBCSLeadByte(byte)) ++at;
  }
  return std::string_view::npos;
}

}  // namespace

size_t LastDelimiter(std::string_view name, char delimiter) {
  size_t last = std::string_view::npos;
  for (size_t at = FindDelimiter(name, delimiter, 0); at != std::string_view::npos;
       at = FindDelimiter(name, delimiter, at + 1)) {
    last = at;
  }
  return last;
}

std::string MakeFullItemName(std::string_view accessPath, std::string_view itemId, char delimiter) {
  std::string fullName(accessPath);
  if (!accessPath.empty() && LastDelimiter(accessPath, delimiter) != accessPath.size() - 1) fullName += delimiter;
  fullName.append(itemId);
  return fullName;
}

std::vector<std::string> SplitItemName(const std::string& name, char delimiter) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start < name.size()) {
    const size_t end = FindDelimiter(name, delimiter, start);
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
  const size_t end = FindDelimiter(name, delimiter, start);
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
