// An open registry key that is closed when it goes out of scope. A key that
// could not be created or opened tests false.
#pragma once

#include "platform/registry.h"

#include <string>

class ScopedRegKey {
 public:
  ScopedRegKey() = default;
  ~ScopedRegKey();
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;

  // Creates the subkey with all rights, or opens it with them when it exists.
  static ScopedRegKey Create(HKEY parent, const std::string& subKey);
  static ScopedRegKey Open(HKEY parent, const std::string& subKey, REGSAM access);

  explicit operator bool() const { return key_ != nullptr; }
  HKEY Get() const { return key_; }

  // Writes a REG_SZ value whose size counts the terminating zero; an empty name
  // is the key's default value.
  bool SetText(const std::string& valueName, const std::string& text) const;

 private:
  explicit ScopedRegKey(HKEY key) : key_(key) {}

  HKEY key_ = nullptr;
};
