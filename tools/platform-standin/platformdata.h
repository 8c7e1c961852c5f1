#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <json/value.h>

#include "devicevalues.h"
#include "standinuser.h"

// The platform's tables: accounts, the device-list rows, the variable
// configuration of each device, and the current values of the variables.
// Tests and the demo fill them; the server thread reads them.
class PlatformData {
public:
  // Replaces every table from a document of the form
  //   {"users":   [{"user_tel":"...","password":"...","user_id":1001,"token":"..."}],
  //    "devices": [<device-list row>, ...],
  //    "configs": {"<sn_code>": [<group of the configuration reply>, ...]},
  //    "values":  {"<sn_code>": {"<data_code>": "<value text>", ...}}}
  // Device rows and groups are served as given. Throws std::runtime_error when
  // the text is not such a document.
  void loadJson(const std::string& text);
  void loadFile(const std::string& path);

  // From now on a login must carry this check_num, or none is checked.
  void requireCheckNum(std::optional<std::string> checkNum);
  // Gives the account a new token, so its current one is refused from now on;
  // returns the new token, or nothing for an unknown account.
  std::optional<std::string> rotateToken(const std::string& userTel);

  std::optional<StandinUser> userByTel(const std::string& userTel) const;
  // The account whose user_id (decimal text) and token a request carries.
  std::optional<StandinUser> userBySession(const std::string& userIdText, const std::string& token) const;
  std::optional<std::string> requiredCheckNum() const;
  Json::Value deviceRows() const;
  // The groups of one device; an empty array for a device without configuration.
  Json::Value config(const std::string& snCode) const;
  DeviceValues& values() { return values_; }
  const DeviceValues& values() const { return values_; }

private:
  mutable std::mutex mutex_;
  std::vector<StandinUser> users_;
  Json::Value deviceRows_{Json::arrayValue};
  std::map<std::string, Json::Value> configs_;
  std::optional<std::string> requiredCheckNum_;
  unsigned tokenRotations_ = 0;
  DeviceValues values_;
};
