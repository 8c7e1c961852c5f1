#pragma once

#include <map>
#include <string>

#include <json/value.h>

#include "standinuser.h"

// The platform's reply texts. All are compact JSON in the envelope
// {"meta":{"success":...,"message":...},"data":...}, with the members in the
// platform's order, so a client may even look for byte sequences such as
// "message":"100009".
class ReplyBodies {
public:
  static std::string loginAccepted(const StandinUser& user);
  // An unsuccessful envelope whose message is the platform's error code.
  static std::string refused(const std::string& code);
  static std::string heartAccepted();
  static std::string deviceList(const Json::Value& rows);
  static std::string deviceConfig(const Json::Value& groups);
  // Values pushed on the read channel: one device, its data codes as member
  // names and its value texts as JSON strings.
  static std::string pushedValues(const std::string& snCode, const std::map<std::string, std::string>& values);

  static constexpr const char* EmptyField = "110001";
  static constexpr const char* WrongCheckNum = "110002";
  static constexpr const char* WrongCredentials = "110003";
  static constexpr const char* UnknownSession = "100009";

private:
  static std::string envelope(bool success, const std::string& message, const std::string& data);
};
