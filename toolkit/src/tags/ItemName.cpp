#include "tags/ItemName.h"

#include "platform/widetext.h"

std::string MakeFullItemName(const std::string& accessPath, const std::string& itemId, char delimiter) {
  if (accessPath.empty()) return itemId;
  if (accessPath.back() == delimiter) return accessPath + itemId;
  return accessPath + delimiter + itemId;
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

bool ClientCanNameItem(const std::string& name) {
  if (name.empty()) return false;
  const std::optional<std::string> back = NarrowAnsi(WidenAnsi(name));
  return back && *back == name;
}
