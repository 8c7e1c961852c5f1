#include "autostart.h"

#include <vector>

#include "platform/hresult.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "platform/widetext.h"

const WCHAR Autostart::runKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const WCHAR Autostart::valueName[] = u"ZelvoOpcstart";

namespace {

// The whole path, however long: a path cut to a fixed buffer would start
// another program, or none.
WideString executablePath() {
  std::vector<WCHAR> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return WideString();
    if (length < buffer.size()) return WideString(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

// Whether the value is text equal to the path. A longer text does not fit the
// buffer and so reads as different.
bool holds(HKEY runKey, const WideString& path) {
  std::vector<WCHAR> stored(path.size() + 1, u'\0');
  DWORD bytes = static_cast<DWORD>(stored.size() * sizeof(WCHAR));
  return RegGetValueW(runKey, nullptr, Autostart::valueName, RRF_RT_REG_SZ, nullptr, stored.data(), &bytes) ==
             ERROR_SUCCESS &&
         WideString(stored.data()) == path;
}

bool store(HKEY runKey, const WideString& path) {
  const auto bytes = static_cast<DWORD>((path.size() + 1) * sizeof(WCHAR));
  return RegSetValueExW(runKey, Autostart::valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                        bytes) == ERROR_SUCCESS;
}

}  // namespace

bool Autostart::switchOn() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, runKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
  const WideString path = executablePath();
  const bool stored = !path.empty() && (holds(key, path) || store(key, path));
  RegCloseKey(key);
  return stored;
}

bool Autostart::switchOff() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, runKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
  const LSTATUS status = RegDeleteValueW(key, valueName);
  RegCloseKey(key);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
