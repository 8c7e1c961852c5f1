// Texts kept once for the life of the process, for values drawn from a small
// set that many records carry (the account names client items write under):
// each record keeps a pointer, not a copy. A text once interned is never
// freed, so the set must stay bounded. Thread-safe.
#pragma once

#include <string>
#include <string_view>

class InternedTexts {
 public:
  // The one lasting copy of `text`.
  static const std::string& Intern(std::string_view text);
};
