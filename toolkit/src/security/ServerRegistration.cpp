#include "security/ServerRegistration.h"

#include "security/ClsidText.h"
#include "security/ScopedRegKey.h"

namespace {

// The key's unnamed value.
const std::string kDefaultValue;

// The OPC component categories the server implements: Data Access 1.0 and
// 2.0, Alarms and Events 1.0.
const char* const kCategories[] = {
    "{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}",
    "{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}",
    "{58E13251-AC87-11D1-84D5-00608CB8A7E9}",
};

constexpr char kAppIdKey[] = "AppID";
constexpr char kClsidKey[] = "CLSID";
constexpr char kOpcKey[] = "OPC";
constexpr char kCategoriesKey[] = "Implemented Categories";
constexpr char kLocalServerKey[] = "LocalServer32";
constexpr char kProgIdKey[] = "ProgID";

// Creates (or opens) the subkey and sets its default value to the text.
bool WriteKey(const ScopedRegKey& parent, const std::string& name, const std::string& defaultText) {
  const ScopedRegKey key = ScopedRegKey::Create(parent.Get(), name);
  return key && key.SetText(kDefaultValue, defaultText);
}

// Deletes a key without subkeys; true when it is gone, also when it was never there.
bool RemoveKey(HKEY parent, const std::string& name) {
  const LSTATUS status = RegDeleteKeyA(parent, name.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

ServerRegistration::ServerRegistration(const CLSID& clsid) : clsidText_(ClsidToText(clsid)) {}

bool ServerRegistration::Register(const std::string& progId, const std::string& description,
                                  const std::string& exePath) const {
  if (progId.empty()) return false;
  const ScopedRegKey progIdKey = ScopedRegKey::Create(HKEY_CLASSES_ROOT, progId);
  if (!progIdKey || !progIdKey.SetText(kDefaultValue, description)) return false;
  if (!WriteKey(progIdKey, kClsidKey, clsidText_) || !ScopedRegKey::Create(progIdKey.Get(), kOpcKey)) return false;

  const ScopedRegKey appIds = ScopedRegKey::Open(HKEY_CLASSES_ROOT, kAppIdKey, KEY_READ);
  if (!appIds || !ScopedRegKey::Create(appIds.Get(), clsidText_)) return false;

  const ScopedRegKey classIds = ScopedRegKey::Open(HKEY_CLASSES_ROOT, kClsidKey, KEY_READ);
  if (!classIds) return false;
  const ScopedRegKey classKey = ScopedRegKey::Create(classIds.Get(), clsidText_);
  if (!classKey || !classKey.SetText(kDefaultValue, description) || !classKey.SetText(kAppIdKey, clsidText_)) {
    return false;
  }
  const ScopedRegKey categories = ScopedRegKey::Create(classKey.Get(), kCategoriesKey);
  if (!categories) return false;
  for (const char* category : kCategories) ScopedRegKey::Create(categories.Get(), category);
  return WriteKey(classKey, kLocalServerKey, exePath) && WriteKey(classKey, kProgIdKey, progId);
}

bool ServerRegistration::AddLocalServiceKeys(const std::string& serviceName) const {
  const ScopedRegKey appIds = ScopedRegKey::Open(HKEY_CLASSES_ROOT, kAppIdKey, KEY_ALL_ACCESS);
  const ScopedRegKey appId = appIds ? ScopedRegKey::Open(appIds.Get(), clsidText_, KEY_ALL_ACCESS) : ScopedRegKey();
  if (!appId) return false;
  const bool service = appId.SetText("LocalService", serviceName);
  const bool parameters = appId.SetText("ServiceParameters", "-Service");
  return service && parameters;
}

bool ServerRegistration::Unregister(const std::string& progId) const {
  if (progId.empty()) return false;
  bool removed = true;
  {
    const ScopedRegKey progIdKey = ScopedRegKey::Open(HKEY_CLASSES_ROOT, progId, KEY_ALL_ACCESS);
    if (!progIdKey) return false;
    removed &= RemoveKey(progIdKey.Get(), kClsidKey);
    removed &= RemoveKey(progIdKey.Get(), kOpcKey);
  }
  removed &= RemoveKey(HKEY_CLASSES_ROOT, progId);

  const ScopedRegKey classIds = ScopedRegKey::Open(HKEY_CLASSES_ROOT, kClsidKey, KEY_READ);
  const ScopedRegKey classKey =
      classIds ? ScopedRegKey::Open(classIds.Get(), clsidText_, KEY_ALL_ACCESS) : ScopedRegKey();
  const ScopedRegKey categories =
      classKey ? ScopedRegKey::Open(classKey.Get(), kCategoriesKey, KEY_ALL_ACCESS) : ScopedRegKey();
  if (!categories) return false;
  for (const char* category : kCategories) removed &= RemoveKey(categories.Get(), category);
  for (const char* name : {kCategoriesKey, kLocalServerKey, kProgIdKey}) removed &= RemoveKey(classKey.Get(), name);
  removed &= RemoveKey(classIds.Get(), clsidText_);

  const ScopedRegKey appIds = ScopedRegKey::Open(HKEY_CLASSES_ROOT, kAppIdKey, KEY_READ);
  if (!appIds || !ScopedRegKey::Open(appIds.Get(), clsidText_, KEY_READ)) return false;
  return RemoveKey(appIds.Get(), clsidText_) && removed;
}
