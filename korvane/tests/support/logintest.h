#pragma once

#include <string>

#include <gtest/gtest.h>

#include "platformstandin.h"
#include "settingsfolder.h"

// A login window's surroundings: a fresh settings folder, the platform
// stand-in as the main server, and the process-wide login state reset.
class LoginTest : public ::testing::Test {
protected:
  static constexpr const char* user = "13800000000";
  static constexpr const char* password = "demo123";
  static constexpr const char* standbyRequestAddress = "127.0.0.1:18082";
  static constexpr const char* mainSavedAddress = "platform.example:8080";
  static constexpr const char* standbySavedAddress = "192.0.2.7:80";
  static constexpr const char* loginRequestLine = "POST /ZirOrurodaz/login HTTP/1.1";
  static constexpr const char* heartRequestLine = "POST /ZirOrurodaz/heart HTTP/1.1";

  void SetUp() override;
  void TearDown() override;

  // How many requests with this request line the stand-in received.
  int requestsTo(const std::string& requestLine);

  SettingsFolder settings;
  PlatformStandin standin;
};
