#include "devicevalues.h"

#include <stdexcept>

DeviceValues::Table DeviceValues::read(const Json::Value& table) {
  if (!table.isObject()) throw std::runtime_error("platform data: \"values\" must be an object");
  Table loaded;
  for (const std::string& snCode : table.getMemberNames()) {
    const Json::Value& codes = table[snCode];
    if (!codes.isObject()) throw std::runtime_error("platform data: the values of " + snCode + " must be an object");
    for (const std::string& dataCode : codes.getMemberNames()) {
      if (!codes[dataCode].isString())
        throw std::runtime_error("platform data: value " + snCode + "/" + dataCode + " must be a string");
      loaded[snCode][dataCode] = codes[dataCode].asString();
    }
  }
  return loaded;
}

void DeviceValues::replace(Table table) {
  std::lock_guard<std::mutex> lock(mutex_);
  values_ = std::move(table);
}

void DeviceValues::set(const std::string& snCode, const std::string& dataCode, std::string value) {
  std::lock_guard<std::mutex> lock(mutex_);
  values_[snCode][dataCode] = std::move(value);
}

DeviceValues::Values DeviceValues::device(const std::string& snCode) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = values_.find(snCode);
  return found == values_.end() ? Values() : found->second;
}

std::vector<std::string> DeviceValues::devices() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> snCodes;
  for (const auto& entry : values_) snCodes.push_back(entry.first);
  return snCodes;
}
