#include "security/ScopedRegKey.h"

#include "platform/lasterror.h"

namespace {

// Registry calls answer their status rather than setting the thread's last
// error; a failure is kept there, so that the host of a failed registration
// can say why it failed.
bool Succeeded(LSTATUS status) {
  if (status == ERROR_SUCCESS) return true;
  SetLastError(static_cast<DWORD>(status));
  return false;
}

}  // namespace

ScopedRegKey::~ScopedRegKey() {
  if (key_ != nullptr) RegCloseKey(key_);
}

ScopedRegKey ScopedRegKey::Create(HKEY parent, const std::string& subKey) {
  HKEY key = nullptr;
  if (!Succeeded(RegCreateKeyExA(parent, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr))) {
    return ScopedRegKey();
  }
  return ScopedRegKey(key);
}

ScopedRegKey ScopedRegKey::Open(HKEY parent, const std::string& subKey, REGSAM access) {
  HKEY key = nullptr;
  if (!Succeeded(RegOpenKeyExA(parent, subKey.c_str(), 0, access, &key))) return ScopedRegKey();
  return ScopedRegKey(key);
}

bool ScopedRegKey::SetText(const std::string& valueName, const std::string& text) const {
  return Succeeded(RegSetValueExA(key_, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1)));
}
