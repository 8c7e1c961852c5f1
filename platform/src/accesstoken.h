// A client's access token: the accounts it holds. Handles to tokens come from
// one process-wide table, so a closed or unknown handle is recognised.
#pragma once

#include "platform/wintypes.h"

#include <memory>
#include <string>
#include <vector>

class AccessToken {
 public:
  AccessToken(std::string userName, std::vector<std::string> groupNames);

  // The user, one of the groups, or "Everyone", which every token holds.
  bool Holds(const std::string& accountName) const;

  static HANDLE Open(std::shared_ptr<const AccessToken> token);
  // NULL for a handle that names no open token.
  static std::shared_ptr<const AccessToken> Find(HANDLE handle);
  static bool Close(HANDLE handle);
  static size_t OpenCount();

 private:
  std::string userName_;
  std::vector<std::string> groupNames_;
};
