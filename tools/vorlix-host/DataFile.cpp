#include "DataFile.h"

#include "DataTypeCode.h"
#include "JsonReader.h"

#include <fstream>
#include <sstream>

bool DataFile::Parse(const std::string& json, std::vector<HostVariable>& variables, std::string& error) {
  variables.clear();
  JsonReader reader(json);
  const std::optional<JsonValue> root = reader.Read();
  if (!root) {
    error = "not JSON: " + reader.Error();
    return false;
  }
  const JsonValue& configs = (*root)["configs"];
  if (configs.kind() != JsonValue::Kind::Object) {
    error = "no \"configs\" object";
    return false;
  }
  for (const auto& [serial, groups] : configs.Members()) {
    bool online = false;
    for (const JsonValue& device : (*root)["devices"].Elements()) {
      if (device["sn_code"].AsText() == serial) online = device["dev_state"].AsText() == "1";
    }
    const JsonValue& values = (*root)["values"][serial];
    for (const JsonValue& group : groups.Elements()) {
      const std::string typeName = group["type_name"].AsText();
      for (const JsonValue& data : group["data"].Elements()) {
        variables.push_back(VariableOf(serial, typeName, data, values, online));
      }
    }
  }
  return true;
}

bool DataFile::Load(const std::string& path, std::vector<HostVariable>& variables, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (!Parse(text.str(), variables, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

HostVariable DataFile::VariableOf(const std::string& serial, const std::string& typeName, const JsonValue& data,
                                  const JsonValue& values, bool online) {
  HostVariable variable;
  variable.itemName = serial + "." + typeName + "." + data["data_name"].AsText();
  variable.typeCode = DataTypeCode::Remapped(static_cast<int>(data["data_type"].AsNumber(0)),
                                             static_cast<int>(data["dev_version"].AsNumber(0)));
  const double writeable = data["data_writeable"].AsNumber(0);
  variable.writable = writeable == 1 || writeable == 2;
  variable.valueText = values[data["data_code"].AsText()].AsText();
  const JsonValue& minimum = data["data_min"];
  const JsonValue& maximum = data["data_max"];
  variable.minimum = minimum.AsNumber(0);
  variable.maximum = maximum.AsNumber(0);
  variable.hasBounds = !minimum.IsNull() && !maximum.IsNull() && variable.maximum > variable.minimum;
  variable.online = online;
  return variable;
}
