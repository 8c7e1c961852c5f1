#pragma once

#include <cstdint>
#include <string>

// A platform account: what a login must send, and what it gets back.
struct StandinUser {
  std::string userTel;
  std::string password;
  std::int32_t userId = 0;
  std::string token;
};
