// The Reg* functions: argument checks, the ANSI forms' conversions and the
// copying of data into the caller's buffers, over RegistryStore.
#include "platform/registry.h"

#include "platform/registrystore.h"
#include "registry/registrykey.h"

#include <cstring>
#include <optional>

namespace {
RegistryStore& Store() { return RegistryStore::Instance(); }

WideString Wide(LPCWSTR text) { return text == nullptr ? WideString() : WideString(text); }

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// String data of the ANSI forms is 8-bit text; the store keeps wide text.
std::vector<BYTE> WidenStringData(const std::vector<BYTE>& data) {
  return WideTextToBytes(WidenAnsi(std::string(data.begin(), data.end())));
}

// The stored wide text as the caller's form takes it; false when the ANSI
// code page cannot hold the text.
bool ToStringData(bool ansi, const WideString& units, std::vector<BYTE>& data) {
  if (!ansi) {
    data = WideTextToBytes(units);
    return true;
  }
  const std::optional<std::string> narrow = NarrowAnsi(units);
  if (!narrow) return false;
  data.assign(narrow->begin(), narrow->end());
  return true;
}

// The query functions' contract: no buffer asks for the size; a buffer too
// small gets ERROR_MORE_DATA and the size.
LSTATUS CopyData(const std::vector<BYTE>& data, void* buffer, LPDWORD bytes) {
  const DWORD needed = static_cast<DWORD>(data.size());
  const DWORD room = bytes != nullptr ? *bytes : 0;
  if (bytes != nullptr) *bytes = needed;
  if (buffer == nullptr) return ERROR_SUCCESS;
  if (room < needed) return ERROR_MORE_DATA;
  if (needed != 0) std::memcpy(buffer, data.data(), needed);
  return ERROR_SUCCESS;
}

// Enumerated names: the room counts the terminator, the answer does not.
LSTATUS CopyName(const WideString& name, LPSTR buffer, LPDWORD chars) {
  const std::optional<std::string> narrow = NarrowAnsi(name);
  if (!narrow) return ERROR_NO_UNICODE_TRANSLATION;
  if (narrow->size() + 1 > *chars) return ERROR_MORE_DATA;
  std::memcpy(buffer, narrow->c_str(), narrow->size() + 1);
  *chars = static_cast<DWORD>(narrow->size());
  return ERROR_SUCCESS;
}

LSTATUS CreateKey(HKEY key, const WideString* subKey, REGSAM desired, PHKEY result, LPDWORD disposition) {
  if (subKey == nullptr || result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  return Store().CreateKey(key, *subKey, desired, result, disposition);
}

LSTATUS OpenKey(HKEY key, const WideString& subKey, REGSAM desired, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  return Store().OpenKey(key, subKey, desired, result);
}

LSTATUS SetValue(HKEY key, const WideString& name, DWORD type, const BYTE* data, DWORD bytes, bool ansi) {
  if (data == nullptr && bytes != 0) return ERROR_INVALID_PARAMETER;
  std::vector<BYTE> stored(data, data + bytes);
  if (ansi && IsStringType(type)) stored = WidenStringData(stored);
  return Store().SetValue(key, name, type, std::move(stored));
}

LSTATUS QueryValue(HKEY key, const WideString& name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD bytes,
                   bool ansi) {
  if (reserved != nullptr || (data != nullptr && bytes == nullptr)) return ERROR_INVALID_PARAMETER;
  DWORD storedType = REG_NONE;
  std::vector<BYTE> stored;
  const LSTATUS status = Store().QueryValue(key, name, &storedType, &stored);
  if (status != ERROR_SUCCESS) return status;
  if (ansi && IsStringType(storedType) && !ToStringData(true, BytesToWideText(stored), stored))
    return ERROR_NO_UNICODE_TRANSLATION;
  if (type != nullptr) *type = storedType;
  return CopyData(stored, data, bytes);
}

DWORD AcceptFlag(DWORD type) {
  switch (type) {
    case REG_NONE: return RRF_RT_REG_NONE;
    case REG_SZ: return RRF_RT_REG_SZ;
    case REG_EXPAND_SZ: return RRF_RT_REG_EXPAND_SZ;
    case REG_BINARY: return RRF_RT_REG_BINARY;
    case REG_DWORD: return RRF_RT_REG_DWORD;
    case REG_MULTI_SZ: return RRF_RT_REG_MULTI_SZ;
    default: return 0;
  }
}

LSTATUS ReadAcceptedValue(HKEY key, const WideString& subKey, const WideString& name, DWORD flags, LPDWORD type,
                          LPVOID data, LPDWORD bytes, bool ansi) {
  HKEY source = key;
  if (!subKey.empty()) {
    const LSTATUS status = Store().OpenKey(key, subKey, KEY_QUERY_VALUE, &source);
    if (status != ERROR_SUCCESS) return status;
  }
  DWORD storedType = REG_NONE;
  std::vector<BYTE> stored;
  const LSTATUS status = Store().QueryValue(source, name, &storedType, &stored);
  if (source != key) Store().CloseKey(source);
  if (status != ERROR_SUCCESS) return status;
  if ((flags & AcceptFlag(storedType)) == 0) return ERROR_UNSUPPORTED_TYPE;
  if (IsStringType(storedType)) {
    WideString units = BytesToWideText(stored);
    if (units.empty() || units.back() != u'\0') units.push_back(u'\0');
    if (!ToStringData(ansi, units, stored)) return ERROR_NO_UNICODE_TRANSLATION;
  }
  if (type != nullptr) *type = storedType;
  return CopyData(stored, data, bytes);
}

LSTATUS GetValue(HKEY key, const WideString& subKey, const WideString& name, DWORD flags, LPDWORD type, LPVOID data,
                 LPDWORD bytes, bool ansi) {
  if ((flags & RRF_RT_ANY) == 0 || (data != nullptr && bytes == nullptr)) return ERROR_INVALID_PARAMETER;
  const DWORD room = data != nullptr ? *bytes : 0;
  const LSTATUS status = ReadAcceptedValue(key, subKey, name, flags, type, data, bytes, ansi);
  if (status != ERROR_SUCCESS && (flags & RRF_ZEROONFAILURE) != 0 && data != nullptr) std::memset(data, 0, room);
  return status;
}
}  // namespace

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM desired, LPSECURITY_ATTRIBUTES,
                        PHKEY result, LPDWORD disposition) {
  const WideString wide = WidenAnsi(subKey);
  return CreateKey(key, subKey == nullptr ? nullptr : &wide, desired, result, disposition);
}

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM desired, LPSECURITY_ATTRIBUTES,
                        PHKEY result, LPDWORD disposition) {
  const WideString wide = Wide(subKey);
  return CreateKey(key, subKey == nullptr ? nullptr : &wide, desired, result, disposition);
}

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM desired, PHKEY result) {
  return OpenKey(key, WidenAnsi(subKey), desired, result);
}

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM desired, PHKEY result) {
  return OpenKey(key, Wide(subKey), desired, result);
}

LSTATUS RegCloseKey(HKEY key) { return Store().CloseKey(key); }

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataBytes) {
  return SetValue(key, WidenAnsi(valueName), type, data, dataBytes, true);
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataBytes) {
  return SetValue(key, Wide(valueName), type, data, dataBytes, false);
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataBytes) {
  return QueryValue(key, WidenAnsi(valueName), reserved, type, data, dataBytes, true);
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataBytes) {
  return QueryValue(key, Wide(valueName), reserved, type, data, dataBytes, false);
}

LSTATUS RegGetValueA(HKEY key, LPCSTR subKey, LPCSTR valueName, DWORD flags, LPDWORD type, LPVOID data,
                     LPDWORD dataBytes) {
  return GetValue(key, WidenAnsi(subKey), WidenAnsi(valueName), flags, type, data, dataBytes, true);
}

LSTATUS RegGetValueW(HKEY key, LPCWSTR subKey, LPCWSTR valueName, DWORD flags, LPDWORD type, LPVOID data,
                     LPDWORD dataBytes) {
  return GetValue(key, Wide(subKey), Wide(valueName), flags, type, data, dataBytes, false);
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName) { return Store().DeleteValue(key, WidenAnsi(valueName)); }

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName) { return Store().DeleteValue(key, Wide(valueName)); }

LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  return subKey == nullptr ? ERROR_INVALID_PARAMETER : Store().DeleteKey(key, WidenAnsi(subKey));
}

LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
  return subKey == nullptr ? ERROR_INVALID_PARAMETER : Store().DeleteKey(key, Wide(subKey));
}

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD, LPSTR keyClass,
                      LPDWORD classChars, LPFILETIME lastWriteTime) {
  if (name == nullptr || nameChars == nullptr) return ERROR_INVALID_PARAMETER;
  WideString found;
  LSTATUS status = Store().EnumKey(key, index, &found);
  if (status == ERROR_SUCCESS) status = CopyName(found, name, nameChars);
  if (status != ERROR_SUCCESS) return status;
  if (keyClass != nullptr && classChars != nullptr && *classChars != 0) keyClass[0] = '\0';
  if (classChars != nullptr) *classChars = 0;
  if (lastWriteTime != nullptr) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameChars, LPDWORD, LPDWORD type,
                      LPBYTE data, LPDWORD dataBytes) {
  if (valueName == nullptr || valueNameChars == nullptr || (data != nullptr && dataBytes == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  WideString name;
  DWORD storedType = REG_NONE;
  std::vector<BYTE> stored;
  LSTATUS status = Store().EnumValue(key, index, &name, &storedType, &stored);
  if (status == ERROR_SUCCESS) status = CopyName(name, valueName, valueNameChars);
  if (status != ERROR_SUCCESS) return status;
  if (IsStringType(storedType) && !ToStringData(true, BytesToWideText(stored), stored))
    return ERROR_NO_UNICODE_TRANSLATION;
  if (type != nullptr) *type = storedType;
  return CopyData(stored, data, dataBytes);
}
