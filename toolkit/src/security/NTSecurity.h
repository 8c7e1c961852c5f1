// Per-tag access control by the client's NT account. The host switches it on
// and defines user records; a tag's read and write words carry in their high
// 16 bits the access level a client must hold in some record. Every call
// expects the caller to hold the server lock, which guards the switch and the
// records against client threads checking while the host changes them.
#pragma once

#include "security/NTUserRecord.h"

#include "platform/wintypes.h"

#include <memory>
#include <string>
#include <vector>

class NTSecurity {
 public:
  bool Enabled() const { return enabled_; }
  DWORD MinImpersonationLevel() const { return minImpersonationLevel_; }
  // Switches the checks on or off (the records stay) and sets the lowest
  // impersonation level a client must allow.
  void Enable(bool enable, DWORD minImpersonationLevel);

  // Replaces the first record of that name with an entry for the account by a
  // new one at the end of the list, granting the level the access argument
  // names: its low 16 bits, or its high 16 bits when the low ones are 0. The
  // record is listed even when its descriptor cannot be built. 0, or the error
  // of the build.
  DWORD DefineUser(const std::string& recordName, const std::string& accountName, DWORD access);

  // Whether the calling client, impersonated for the check, holds the level of
  // the access word's high 16 bits in some record; a level of 0 is never held.
  // Fails for a caller outside a client call, one that allows too low an
  // impersonation level and one without a token. The thread stops
  // impersonating and the token is closed on every path. When granted and
  // `accountName` is given, it receives the account of the first granting record.
  bool CheckAccess(DWORD accessWord, std::string* accountName) const;

 private:
  bool enabled_ = false;
  DWORD minImpersonationLevel_ = 0;
  std::vector<std::unique_ptr<NTUserRecord>> records_;
};
