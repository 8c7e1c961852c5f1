#include "accesstoken.h"

#include "accountmodel.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace {
struct TokenTable {
  std::mutex mutex;
  std::unordered_map<uintptr_t, std::shared_ptr<const AccessToken>> tokens;
  // Never 0, nor the pseudo handles near -1, nor a value handed out before.
  uintptr_t nextHandle = 0x10000;
};

TokenTable& Table() {
  static TokenTable table;
  return table;
}

const char kEveryone[] = "Everyone";
}  // namespace

AccessToken::AccessToken(std::string userName, std::vector<std::string> groupNames)
    : userName_(std::move(userName)), groupNames_(std::move(groupNames)) {}

bool AccessToken::Holds(const std::string& accountName) const {
  if (SameAccountName(accountName, kEveryone) || SameAccountName(accountName, userName_)) return true;
  return std::any_of(groupNames_.begin(), groupNames_.end(),
                     [&](const std::string& group) { return SameAccountName(accountName, group); });
}

HANDLE AccessToken::Open(std::shared_ptr<const AccessToken> token) {
  TokenTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  const uintptr_t value = table.nextHandle;
  table.nextHandle += 4;
  table.tokens[value] = std::move(token);
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<const AccessToken> AccessToken::Find(HANDLE handle) {
  TokenTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto found = table.tokens.find(reinterpret_cast<uintptr_t>(handle));
  return found == table.tokens.end() ? nullptr : found->second;
}

bool AccessToken::Close(HANDLE handle) {
  TokenTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  return table.tokens.erase(reinterpret_cast<uintptr_t>(handle)) == 1;
}

size_t AccessToken::OpenCount() {
  TokenTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  return table.tokens.size();
}
