#include "tags/ItemName.h"

#include "platform/codepage.h"
#include "platform/widetext.h"

namespace {

// The first delimiter at or after `from` (a character boundary) that is a
// character of its own: the second byte of a double-byte character may have
// the delimiter's value. ASCII bytes start no such character, so names in
// ASCII never ask the code page.
size_t FindDelimiter(const std::string& name, char delimiter, size_t from) {
  for (size_t at = from; at < name.size(); ++at) {
    if (name[at] == delimiter) return at;
    const BYTE byte = static_cast<BYTE>(name[at]);
    if (byte >= 0x80 && IsDBCSLeadByte(byte)) ++at;
  }
  return std::string::npos;
}

}  // namespace

size_t LastDelimiter(const std::string& name, char delimiter) {
  size_t last = std::string::npos;
  for (size_t at = FindDelimiter(name, delimiter, 0); at != std::string::npos;
       at = FindDelimiter(name, delimiter, at + 1)) {
    last = at;
  }
  return last;
}

std::string MakeFullItemName(const std::string& accessPath, const std::string& itemId, char delimiter) {
  if (accessPath.empty()) return itemId;
  if (LastDelimiter(accessPath, delimiter) == accessPath.size() - 1) return accessPath + itemId;
  return accessPath + delimiter + itemId;
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

bool ClientCanNameItem(const std::string& name) {
  if (name.empty()) return false;
  const std::optional<std::string> back = NarrowAnsi(WidenAnsi(name));
  return back && *back == name;
}
