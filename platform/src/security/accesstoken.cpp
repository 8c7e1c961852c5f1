#include "security/accesstoken.h"

#include "security/accountmodel.h"

#include <algorithm>

std::atomic<size_t> AccessToken::live_{0};

AccessToken::AccessToken(std::string userName, std::vector<std::string> groupNames)
    : userName_(std::move(userName)), groupNames_(std::move(groupNames)) {
  live_.fetch_add(1);
}

AccessToken::~AccessToken() { live_.fetch_sub(1); }

bool AccessToken::Holds(const std::string& accountName) const {
  if (SameAccountName(accountName, "Everyone") || SameAccountName(accountName, userName_)) return true;
  return std::any_of(groupNames_.begin(), groupNames_.end(),
                     [&](const std::string& group) { return SameAccountName(accountName, group); });
}

size_t AccessToken::LiveCount() { return live_.load(); }
