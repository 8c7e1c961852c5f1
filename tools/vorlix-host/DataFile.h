// The variables of a data file in the platform stand-in's format: "configs"
// holds per box serial number its groups ("type_name", "data": variables),
// "values" per box the value texts by data code, "devices" the boxes with their
// "dev_state" (1: online).
#pragma once

#include "HostVariable.h"

#include <string>
#include <vector>

class JsonValue;

class DataFile {
 public:
  // The variables of the JSON text, in file order; an empty list and a
  // one-line reason when it is no data file.
  static bool Parse(const std::string& json, std::vector<HostVariable>& variables, std::string& error);
  // The same for a file (its path UTF-8).
  static bool Load(const std::string& path, std::vector<HostVariable>& variables, std::string& error);

 private:
  static HostVariable VariableOf(const std::string& serial, const std::string& typeName, const JsonValue& data,
                                 const JsonValue& values, bool online);
};
