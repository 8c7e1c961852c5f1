#include "security/accountmodel.h"

#include "platform/security.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace {
struct DefinedAccounts {
  std::mutex mutex;
  std::vector<std::string> names;
};

DefinedAccounts& Defined() {
  static DefinedAccounts accounts;
  return accounts;
}

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The defined account of that name; the list's lock must be held.
std::vector<std::string>::const_iterator FindDefined(const std::vector<std::string>& names, const std::string& name) {
  return std::find_if(names.begin(), names.end(), [&](const std::string& defined) { return SameAccountName(defined, name); });
}

std::string ProcessUserName() {
  if (const passwd* user = ::getpwuid(::geteuid())) return user->pw_name;
  const char* name = std::getenv("USER");
  return name != nullptr && *name != '\0' ? name : "user";
}
}  // namespace

bool SameAccountName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

std::string CurrentUserAccountName() {
  static const std::string name = ProcessUserName();
  return name;
}

void DefineAccount(const std::string& name) {
  DefinedAccounts& accounts = Defined();
  std::lock_guard<std::mutex> lock(accounts.mutex);
  if (FindDefined(accounts.names, name) == accounts.names.end()) accounts.names.push_back(name);
}

void ForgetDefinedAccounts() {
  DefinedAccounts& accounts = Defined();
  std::lock_guard<std::mutex> lock(accounts.mutex);
  accounts.names.clear();
}

bool LookupAccountName(const std::string& name, std::string* accountName) {
  const std::string currentUser = CurrentUserAccountName();
  if (SameAccountName(name, "CURRENT_USER") || SameAccountName(name, currentUser)) {
    *accountName = currentUser;
    return true;
  }
  if (SameAccountName(name, "Everyone")) {
    *accountName = "Everyone";
    return true;
  }
  DefinedAccounts& accounts = Defined();
  std::lock_guard<std::mutex> lock(accounts.mutex);
  auto found = FindDefined(accounts.names, name);
  if (found == accounts.names.end()) return false;
  *accountName = *found;
  return true;
}
