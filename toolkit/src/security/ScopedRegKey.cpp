#include "security/ScopedRegKey.h"

ScopedRegKey::~ScopedRegKey() {
  if (key_ != nullptr) RegCloseKey(key_);
}

ScopedRegKey ScopedRegKey::Create(HKEY parent, const std::string& subKey) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(parent, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return ScopedRegKey();
  }
  return ScopedRegKey(key);
}

ScopedRegKey ScopedRegKey::Open(HKEY parent, const std::string& subKey, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, subKey.c_str(), 0, access, &key) != ERROR_SUCCESS) return ScopedRegKey();
  return ScopedRegKey(key);
}

bool ScopedRegKey::SetText(const std::string& valueName, const std::string& text) const {
  return RegSetValueExA(key_, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}
