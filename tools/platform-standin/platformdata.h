#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <json/value.h>

#include "standinuser.h"

// The platform's tables: accounts, the device-list rows, and the variable
// configuration of each device. Tests and the demo fill them; the server
// thread reads them.
class PlatformData {
public:
  // Replaces every table from a document of the form
  //   {"users":   [{"user_tel":"...","password":"...","user_id":1001,"token":"..."}],
  //    "devices": [<device-list row>, ...],
  //    "configs": {"<sn_code>": [<group of the configuration reply>, ...]}}
  // Device rows and groups are served as given. Throws std::runtime_error when
  // the text is not such a document.
  void loadJson(const std::string& text);
  void loadFile(const std::string& path);

  // From now on a login must carry this check_num, or none is checked.
  void requireCheckNum(std::optional<std::string> checkNum);

  std::optional<StandinUser> userByTel(const std::string& userTel) const;
  // The account whose user_id (decimal text) and token a request carries.
  std::optional<StandinUser> userBySession(const std::string& userIdText, const std::string& token) const;
  std::optional<std::string> requiredCheckNum() const;
  Json::Value deviceRows() const;
  // The groups of one device; an empty array for a device without configuration.
  Json::Value config(const std::string& snCode) const;

private:
  mutable std::mutex mutex_;
  std::vector<StandinUser> users_;
  Json::Value deviceRows_{Json::arrayValue};
  std::map<std::string, Json::Value> configs_;
  std::optional<std::string> requiredCheckNum_;
};
