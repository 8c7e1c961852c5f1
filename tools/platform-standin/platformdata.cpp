#include "platformdata.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include <json/reader.h>

namespace {

Json::Value parseDocument(const std::string& text) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value document;
  std::string errors;
  if (!reader->parse(text.data(), text.data() + text.size(), &document, &errors))
    throw std::runtime_error("platform data is not JSON: " + errors);
  if (!document.isObject()) throw std::runtime_error("platform data must be a JSON object");
  return document;
}

// The member `key` of `object`: of the given kind, or of that kind's empty value when absent.
Json::Value containerMember(const Json::Value& object, const char* key, Json::ValueType kind) {
  if (!object.isMember(key)) return Json::Value(kind);
  const Json::Value& member = object[key];
  if (member.type() != kind) throw std::runtime_error(std::string("platform data: \"") + key + "\" has the wrong type");
  return member;
}

std::string userText(const Json::Value& user, const char* key) {
  const Json::Value& member = user[key];
  if (!member.isString()) throw std::runtime_error(std::string("platform data: a user's \"") + key + "\" must be a string");
  return member.asString();
}

std::vector<StandinUser> readUsers(const Json::Value& users) {
  std::vector<StandinUser> result;
  for (const Json::Value& user : users) {
    if (!user.isObject() || !user["user_id"].isInt())
      throw std::runtime_error("platform data: every user must be an object with an int32 \"user_id\"");
    result.push_back({userText(user, "user_tel"), userText(user, "password"), user["user_id"].asInt(),
                      userText(user, "token")});
  }
  return result;
}

}  // namespace

void PlatformData::loadJson(const std::string& text) {
  const Json::Value document = parseDocument(text);
  const Json::Value devices = containerMember(document, "devices", Json::arrayValue);
  const Json::Value configs = containerMember(document, "configs", Json::objectValue);
  std::vector<StandinUser> accounts = readUsers(containerMember(document, "users", Json::arrayValue));
  DeviceValues::Table values = DeviceValues::read(containerMember(document, "values", Json::objectValue));
  std::map<std::string, Json::Value> configBySerial;
  for (const std::string& snCode : configs.getMemberNames()) {
    const Json::Value& groups = configs[snCode];
    if (!groups.isArray()) throw std::runtime_error("platform data: the configuration of " + snCode + " must be an array");
    configBySerial[snCode] = groups;
  }

  std::lock_guard<std::mutex> lock(mutex_);
  users_ = std::move(accounts);
  deviceRows_ = devices;
  configs_ = std::move(configBySerial);
  values_.replace(std::move(values));
}

void PlatformData::loadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read platform data file " + path);
  std::ostringstream text;
  text << file.rdbuf();
  loadJson(text.str());
}

void PlatformData::requireCheckNum(std::optional<std::string> checkNum) {
  std::lock_guard<std::mutex> lock(mutex_);
  requiredCheckNum_ = std::move(checkNum);
}

std::optional<std::string> PlatformData::rotateToken(const std::string& userTel) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (StandinUser& user : users_) {
    if (user.userTel != userTel) continue;
    user.token = "tok-" + std::to_string(user.userId) + "-" + std::to_string(++tokenRotations_);
    return user.token;
  }
  return std::nullopt;
}

std::optional<StandinUser> PlatformData::userByTel(const std::string& userTel) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const StandinUser& user : users_)
    if (user.userTel == userTel) return user;
  return std::nullopt;
}

std::optional<StandinUser> PlatformData::userBySession(const std::string& userIdText, const std::string& token) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const StandinUser& user : users_)
    if (std::to_string(user.userId) == userIdText && !token.empty() && user.token == token) return user;
  return std::nullopt;
}

std::optional<std::string> PlatformData::requiredCheckNum() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requiredCheckNum_;
}

Json::Value PlatformData::deviceRows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return deviceRows_;
}

Json::Value PlatformData::config(const std::string& snCode) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = configs_.find(snCode);
  return found == configs_.end() ? Json::Value(Json::arrayValue) : found->second;
}
