#include "serverendpoints.h"

#include <QtGlobal>

QString ServerEndpoints::mainRequestAddress() {
  return fromEnvironment("KORVANE_MAIN_REQUEST_ADDRESS", KORVANE_MAIN_REQUEST_ADDRESS);
}

QString ServerEndpoints::standbyRequestAddress() {
  return fromEnvironment("KORVANE_STANDBY_REQUEST_ADDRESS", KORVANE_STANDBY_REQUEST_ADDRESS);
}

QString ServerEndpoints::mainSavedAddress() {
  return fromEnvironment("KORVANE_MAIN_SAVED_ADDRESS", KORVANE_MAIN_SAVED_ADDRESS);
}

QString ServerEndpoints::standbySavedAddress() {
  return fromEnvironment("KORVANE_STANDBY_SAVED_ADDRESS", KORVANE_STANDBY_SAVED_ADDRESS);
}

// An unset or empty variable leaves the built-in value.
QString ServerEndpoints::fromEnvironment(const char* name, const char* builtIn) {
  const QString value = qEnvironmentVariable(name);
  return value.isEmpty() ? QString::fromUtf8(builtIn) : value;
}
