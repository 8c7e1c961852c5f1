#pragma once

#include <QString>

// The platform servers the login window offers. Each is a deployment value:
// compiled in from the build's cache variables and overridable through the
// environment variable of the same name, so tests and the demo can point the
// program at a stand-in on any port.
class ServerEndpoints {
public:
  // Where requests go when the main (index 0) or standby (index 1) server is chosen.
  static QString mainRequestAddress();     // KORVANE_MAIN_REQUEST_ADDRESS
  static QString standbyRequestAddress();  // KORVANE_STANDBY_REQUEST_ADDRESS
  // What a successful login on the main or standby server saves as the configured address.
  static QString mainSavedAddress();     // KORVANE_MAIN_SAVED_ADDRESS
  static QString standbySavedAddress();  // KORVANE_STANDBY_SAVED_ADDRESS

private:
  static QString fromEnvironment(const char* name, const char* builtIn);
};
