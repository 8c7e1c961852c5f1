// Writes and removes the host's registration as the local COM server of its
// ProgID, through the toolkit.
#pragma once

#include "HostOptions.h"

#include <string>

class HostRegistration {
 public:
  // Registers the proxy/stub DLL beside the program (when it is there) and the
  // host, with a LocalServer32 command line that starts it with the options'
  // data file and simulation. False with a one-line reason.
  static bool Register(const HostOptions& options, std::wstring& error);
  static bool Unregister(const HostOptions& options, std::wstring& error);
};
