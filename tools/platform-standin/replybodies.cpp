#include "replybodies.h"

#include <algorithm>
#include <map>
#include <vector>

#include <json/writer.h>

namespace {

// Keys in the order the platform writes them; any other key follows.
const std::vector<std::string> deviceRowKeys = {
    "sn_code",   "dev_uuid",    "dev_ip",      "dev_mac",     "dev_version",      "dev_model",
    "shipment_number", "research_unit", "customer_id", "dev_address", "dev_long", "dev_lat",
    "site_name", "site_type",   "site_icon",   "dev_state",   "report_time",      "isRegister",
    "vpn_port",  "vpn_server_state", "vpn_client_state", "dev_alias"};
const std::vector<std::string> groupKeys = {"type_name", "data"};
const std::vector<std::string> variableKeys = {"sn_code",  "data_name", "data_unit", "data_type", "data_writeable",
                                               "data_min", "data_max",  "data_code", "dev_version"};

using MemberWriter = std::string (*)(const Json::Value&);

std::string compact(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

// `object` as compact JSON with the keys of `order` first; `nested` writes
// chosen members. Anything that is not an object is written as it is.
std::string orderedObject(const Json::Value& object, const std::vector<std::string>& order,
                          const std::map<std::string, MemberWriter>& nested = {}) {
  if (!object.isObject()) return compact(object);
  std::vector<std::string> keys;
  for (const std::string& key : order)
    if (object.isMember(key)) keys.push_back(key);
  for (const std::string& key : object.getMemberNames())
    if (std::find(order.begin(), order.end(), key) == order.end()) keys.push_back(key);

  std::string text = "{";
  for (const std::string& key : keys) {
    if (text.size() > 1) text += ',';
    auto writer = nested.find(key);
    text += Json::valueToQuotedString(key.c_str()) + ':' +
            (writer == nested.end() ? compact(object[key]) : writer->second(object[key]));
  }
  return text + '}';
}

std::string orderedArray(const Json::Value& array, const std::vector<std::string>& order,
                         const std::map<std::string, MemberWriter>& nested = {}) {
  if (!array.isArray()) return compact(array);
  std::string text = "[";
  for (const Json::Value& element : array) {
    if (text.size() > 1) text += ',';
    text += orderedObject(element, order, nested);
  }
  return text + ']';
}

std::string variables(const Json::Value& array) { return orderedArray(array, variableKeys); }

}  // namespace

std::string ReplyBodies::envelope(bool success, const std::string& message, const std::string& data) {
  return std::string("{\"meta\":{\"success\":\"") + (success ? "true" : "false") +
         "\",\"message\":" + Json::valueToQuotedString(message.c_str()) + "},\"data\":" + data + '}';
}

std::string ReplyBodies::loginAccepted(const StandinUser& user) {
  return envelope(true, "login ok",
                  "{\"user_id\":" + std::to_string(user.userId) +
                      ",\"x_Token\":" + Json::valueToQuotedString(user.token.c_str()) + '}');
}

std::string ReplyBodies::refused(const std::string& code) { return envelope(false, code, "null"); }

std::string ReplyBodies::heartAccepted() { return envelope(true, "ok", "null"); }

std::string ReplyBodies::deviceList(const Json::Value& rows) {
  return envelope(true, "ok",
                  "{\"total\":" + std::to_string(rows.size()) + ",\"rows\":" + orderedArray(rows, deviceRowKeys) + '}');
}

std::string ReplyBodies::deviceConfig(const Json::Value& groups) {
  return envelope(true, "ok", orderedArray(groups, groupKeys, {{"data", &variables}}));
}

std::string ReplyBodies::pushedValues(const std::string& snCode, const std::map<std::string, std::string>& values) {
  Json::Value device(Json::objectValue);
  for (const auto& [dataCode, value] : values) device[dataCode] = value;
  Json::Value data(Json::objectValue);
  data[snCode] = device;
  return envelope(true, "", compact(data));
}
