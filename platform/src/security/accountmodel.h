// Account names as the security functions resolve them (see security.h).
#pragma once

#include <string>

// Account names compare without regard to ASCII case.
bool SameAccountName(const std::string& a, const std::string& b);
// The account's name as it was defined; false for a name no account has.
// "CURRENT_USER" names the current user.
bool LookupAccountName(const std::string& name, std::string* accountName);
