// One user record of the NT access control: a named record that grants one
// account an access level, held as a self-relative security descriptor whose
// group is the record's name. A record whose descriptor could not be built
// grants nothing.
#pragma once

#include "platform/accessmask.h"
#include "platform/wintypes.h"

#include <string>

class NTUserRecord {
 public:
  // How generic rights map onto access levels: read is level 1, write level 2, all both.
  static constexpr GENERIC_MAPPING kLevelMapping = {1, 2, 0, 3};

  NTUserRecord(std::string name, std::string accountName, DWORD level);
  ~NTUserRecord();
  NTUserRecord(const NTUserRecord&) = delete;
  NTUserRecord& operator=(const NTUserRecord&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& AccountName() const { return accountName_; }

  // Builds the descriptor granting the account the level, owned by the current
  // user; called once, after construction. 0, ERROR_OUTOFMEMORY when the entry block cannot be allocated, or the
  // error of the build (an account or record name that names no account).
  DWORD BuildDescriptor();

  // Whether the descriptor grants the client's token the whole of the desired
  // access (already mapped); not when the check itself fails.
  bool Grants(HANDLE clientToken, DWORD desiredAccess) const;

 private:
  std::string name_;
  std::string accountName_;
  DWORD level_;
  void* descriptor_ = nullptr;
};
