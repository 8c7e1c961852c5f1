#include "GeneratedPlatform.h"

#include <json/value.h>
#include <json/writer.h>

QString GeneratedPlatform::serial(int device) const {
  return QStringLiteral("%1%2").arg(serialPrefix_).arg(device, 6, 10, QLatin1Char('0'));
}

std::string GeneratedPlatform::dataFile() const {
  Json::Value tables;
  Json::Value user;
  user["user_tel"] = "13800000000";
  user["password"] = "demo123";
  user["user_id"] = 1001;
  user["token"] = "tok-abc123";
  tables["users"].append(user);
  for (int device = 0; device < devices_; ++device) {
    const std::string sn = serial(device).toStdString();
    Json::Value row;
    row["sn_code"] = sn;
    row["dev_state"] = 1;
    tables["devices"].append(row);
    Json::Value group;
    group["type_name"] = "Analog";
    for (int code = 1; code <= VariablesPerDevice; ++code) {
      Json::Value variable;
      variable["sn_code"] = sn;
      variable["data_name"] = "V" + std::to_string(code);
      variable["data_type"] = TypeCodes[code - 1];
      variable["data_writeable"] = 1;
      variable["data_min"] = "0";
      variable["data_max"] = "1000";
      variable["data_code"] = code;
      variable["dev_version"] = 0;
      group["data"].append(variable);
      tables["values"][sn][std::to_string(code)] = std::to_string((device + code) % 1000);
    }
    tables["configs"][sn].append(group);
  }
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  return Json::writeString(writer, tables);
}
