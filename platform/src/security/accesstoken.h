// A client's access token: a kernel object holding the accounts the client
// holds, reached through a handle and closed with CloseHandle.
#pragma once

#include "platform/kernelobject.h"

#include <atomic>
#include <string>
#include <vector>

class AccessToken : public KernelObject {
 public:
  AccessToken(std::string userName, std::vector<std::string> groupNames);

  // The user, one of the groups, or "Everyone", which every token holds.
  bool Holds(const std::string& accountName) const;

  // Tokens not yet destroyed, so tests can show that none leaks.
  static size_t LiveCount();

 protected:
  ~AccessToken() override;

 private:
  static std::atomic<size_t> live_;

  std::string userName_;
  std::vector<std::string> groupNames_;
};
