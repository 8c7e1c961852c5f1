#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <json/value.h>

// The current value of every variable, per device: the texts the platform
// pushes, keyed by serial number and then by data code in decimal.
class DeviceValues {
public:
  using Values = std::map<std::string, std::string>;  // data code -> value text
  using Table = std::map<std::string, Values>;        // serial number -> values

  // The table of the "values" member of the data document:
  //   {"<sn_code>": {"<data_code>": "<value>", ...}, ...}
  // Throws std::runtime_error when it has another shape.
  static Table read(const Json::Value& table);
  void replace(Table table);

  void set(const std::string& snCode, const std::string& dataCode, std::string value);
  // The device's values; empty for an unknown device.
  Values device(const std::string& snCode) const;
  std::vector<std::string> devices() const;

private:
  mutable std::mutex mutex_;
  Table values_;
};
