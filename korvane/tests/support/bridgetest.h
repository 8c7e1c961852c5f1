#pragma once

#include <string>
#include <vector>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "messagecapture.h"
#include "platformstandin.h"
#include "Vorlix.h"

// The program's settings pointed at the platform at `address`, logged in as
// the stand-ins' account, and the toolkit's server registration kept in
// `registry`.
void useLoggedInProgram(const std::string& address, const QTemporaryDir& registry);
// Undoes the login and the registration.
void endLoggedInProgram();

// The surroundings of the OPC bridge and the main window: the platform
// stand-in serving devices A1 (online) and B2 (offline) and their variables,
// the program's settings pointing at it, a logged-in session, and a registry
// of the test's own for the toolkit's server registration.
class BridgeTest : public ::testing::Test {
protected:
  static constexpr const char* pushA1 =
      R"({"meta":{"success":"true","message":""},"data":{"A1":{"1":"23.5","2":"-7","3":"70000","10":"1"}}})";

  void SetUp() override;
  void TearDown() override;

  // How many log lines so far hold `text`.
  int logCount(const QString& text) const;
  // How many requests with this request line the stand-in received.
  int requestsTo(const std::string& requestLine);
  // The texts the stand-in received on one channel, in order.
  std::vector<std::string> frames(WebSocketChannel channel);

  // The tag's value, quality and whether the toolkit knows it.
  struct TagState {
    BOOL found;
    VARIANT value;
    WORD quality;
  };
  static TagState tagState(DWORD handle);

  PlatformStandin standin;
  MessageCapture log;

private:
  QTemporaryDir registry_;
};
