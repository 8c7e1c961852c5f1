#include "platform/registrystore.h"

#include "registry/registryfile.h"
#include "registry/registrykey.h"

#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

namespace {
constexpr REGSAM kChangeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;
const GENERIC_MAPPING kKeyMapping = {KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};
// Opened handles never take a predefined root's value nor a value used before.
constexpr uintptr_t kFirstHandle = 0x1000;

// The keys a fresh system has, which the system's callers open rather than create.
struct FreshKey {
  size_t root;
  const char16_t* path;
};
const FreshKey kFreshSystemKeys[] = {
    {0, u"CLSID"},
    {0, u"AppID"},
    {1, u"Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
};

int PredefinedIndex(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return 0;
  if (key == HKEY_CURRENT_USER) return 1;
  if (key == HKEY_LOCAL_MACHINE) return 2;
  return -1;
}

// Splits a subkey path at its backslashes; one trailing backslash is allowed,
// an empty name anywhere else is not.
LSTATUS SplitPath(const WideString& path, std::vector<WideString>* names) {
  names->clear();
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == WideString::npos) end = path.size();
    if (end == start) return ERROR_BAD_PATHNAME;
    names->push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

std::string ConfiguredFolder() {
  const char* folder = std::getenv("ZELVO_REGISTRY_DIR");
  if (folder != nullptr && *folder != '\0') return folder;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config != '\0') return std::string(config) + "/zelvo/registry";
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    const passwd* user = ::getpwuid(::getuid());
    home = user != nullptr ? user->pw_dir : "/";
  }
  return std::string(home) + "/.config/zelvo/registry";
}
}  // namespace

RegistryStore& RegistryStore::Instance() {
  static RegistryStore store;
  return store;
}

RegistryStore::RegistryStore()
    : roots_{{"HKEY_CLASSES_ROOT.txt", nullptr, false},
             {"HKEY_CURRENT_USER.txt", nullptr, false},
             {"HKEY_LOCAL_MACHINE.txt", nullptr, false}},
      nextHandle_(kFirstHandle),
      refuseWrites_(false) {}

void RegistryStore::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  handles_.clear();
  for (Root& root : roots_) {
    root.key.reset();
    root.unreadable = false;
  }
  folder_.clear();
  refuseWrites_ = false;
}

void RegistryStore::SetRefuseWrites(bool refuse) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseWrites_ = refuse;
}

std::string RegistryStore::Folder() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (folder_.empty()) folder_ = ConfiguredFolder();
  return folder_;
}

LSTATUS RegistryStore::LoadRoot(Root& root) {
  if (root.key) return ERROR_SUCCESS;
  if (root.unreadable) return ERROR_BADDB;
  if (folder_.empty()) folder_ = ConfiguredFolder();
  auto key = std::make_shared<RegistryKey>(WideString(), nullptr);
  switch (LoadRegistryFile(folder_ + "/" + root.fileName, *key)) {
    case RegistryFileStatus::Unreadable:
      root.unreadable = true;
      return ERROR_BADDB;
    case RegistryFileStatus::Missing: {
      const size_t index = static_cast<size_t>(&root - roots_);
      std::vector<WideString> names;
      for (const FreshKey& fresh : kFreshSystemKeys) {
        if (fresh.root != index) continue;
        SplitPath(fresh.path, &names);
        RegistryKey* parent = key.get();
        for (const WideString& name : names) parent = parent->AddSubkey(name).get();
      }
      break;
    }
    case RegistryFileStatus::Loaded:
      break;
  }
  root.key = key;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::Resolve(HKEY key, REGSAM required, Target* target) {
  const int index = PredefinedIndex(key);
  if (index >= 0) {
    Root& root = roots_[index];
    const LSTATUS status = LoadRoot(root);
    if (status != ERROR_SUCCESS) return status;
    *target = Target{&root, root.key, KEY_ALL_ACCESS};
  } else {
    auto found = handles_.find(reinterpret_cast<uintptr_t>(key));
    if (found == handles_.end()) return ERROR_INVALID_HANDLE;
    *target = found->second;
    if (target->key->IsDeleted()) return ERROR_KEY_DELETED;
  }
  return (target->access & required) == required ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LSTATUS RegistryStore::MapAccess(REGSAM desired, REGSAM* access) const {
  REGSAM mapped = desired & ~(KEY_WOW64_64KEY | KEY_WOW64_32KEY);
  if (mapped & MAXIMUM_ALLOWED) mapped = (mapped & ~MAXIMUM_ALLOWED) | (refuseWrites_ ? KEY_READ : KEY_ALL_ACCESS);
  MapGenericMask(&mapped, &kKeyMapping);
  if (refuseWrites_ && (mapped & kChangeRights) != 0) return ERROR_ACCESS_DENIED;
  *access = mapped;
  return ERROR_SUCCESS;
}

HKEY RegistryStore::AddHandle(const Target& target) {
  const uintptr_t value = nextHandle_;
  nextHandle_ += 4;
  handles_[value] = target;
  return reinterpret_cast<HKEY>(value);
}

bool RegistryStore::Persist(const Root& root) { return SaveRegistryFile(folder_ + "/" + root.fileName, *root.key); }

LSTATUS RegistryStore::CreateKey(HKEY key, const WideString& subKey, REGSAM desired, HKEY* result,
                                 DWORD* disposition) {
  std::lock_guard<std::mutex> lock(mutex_);
  Target target;
  std::vector<WideString> names;
  LSTATUS status = Resolve(key, 0, &target);
  if (status == ERROR_SUCCESS) status = SplitPath(subKey, &names);
  if (status == ERROR_SUCCESS) status = MapAccess(desired, &target.access);
  if (status != ERROR_SUCCESS) return status;

  size_t existing = 0;
  for (; existing < names.size(); ++existing) {
    std::shared_ptr<RegistryKey> child = target.key->FindSubkey(names[existing]);
    if (!child) break;
    target.key = child;
  }
  const bool create = existing < names.size();
  if (create) {
    if (refuseWrites_) return ERROR_ACCESS_DENIED;
    RegistryKey* parent = target.key.get();
    std::shared_ptr<RegistryKey> firstNew = parent->AddSubkey(names[existing]);
    target.key = firstNew;
    for (size_t i = existing + 1; i < names.size(); ++i) target.key = target.key->AddSubkey(names[i]);
    if (!Persist(*target.root)) {
      parent->RemoveSubkey(firstNew);
      return ERROR_CANTWRITE;
    }
  }
  *result = AddHandle(target);
  if (disposition != nullptr) *disposition = create ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::ResolvePath(HKEY key, const WideString& subKey, Target* target) {
  std::vector<WideString> names;
  LSTATUS status = Resolve(key, 0, target);
  if (status == ERROR_SUCCESS) status = SplitPath(subKey, &names);
  if (status != ERROR_SUCCESS) return status;
  for (const WideString& name : names) {
    target->key = target->key->FindSubkey(name);
    if (!target->key) return ERROR_FILE_NOT_FOUND;
  }
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::OpenKey(HKEY key, const WideString& subKey, REGSAM desired, HKEY* result) {
  std::lock_guard<std::mutex> lock(mutex_);
  Target target;
  LSTATUS status = ResolvePath(key, subKey, &target);
  if (status == ERROR_SUCCESS) status = MapAccess(desired, &target.access);
  if (status != ERROR_SUCCESS) return status;
  *result = AddHandle(target);
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::CloseKey(HKEY key) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (PredefinedIndex(key) >= 0) return ERROR_SUCCESS;
  return handles_.erase(reinterpret_cast<uintptr_t>(key)) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegistryStore::ChangeValues(HKEY key, const std::function<LSTATUS(RegistryKey&)>& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (refuseWrites_) return ERROR_ACCESS_DENIED;
  Target target;
  LSTATUS status = Resolve(key, KEY_SET_VALUE, &target);
  if (status != ERROR_SUCCESS) return status;
  std::vector<RegistryValue> before = target.key->Values();
  status = change(*target.key);
  if (status == ERROR_SUCCESS && !Persist(*target.root)) {
    target.key->Values() = std::move(before);
    status = ERROR_CANTWRITE;
  }
  return status;
}

LSTATUS RegistryStore::SetValue(HKEY key, const WideString& name, DWORD type, std::vector<BYTE> data) {
  return ChangeValues(key, [&](RegistryKey& target) {
    target.SetValue(RegistryValue{name, type, std::move(data)});
    return ERROR_SUCCESS;
  });
}

LSTATUS RegistryStore::QueryValue(HKEY key, const WideString& name, DWORD* type, std::vector<BYTE>* data) {
  std::lock_guard<std::mutex> lock(mutex_);
  Target target;
  const LSTATUS status = Resolve(key, KEY_QUERY_VALUE, &target);
  if (status != ERROR_SUCCESS) return status;
  const RegistryValue* value = target.key->FindValue(name);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  *type = value->type;
  *data = value->data;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::DeleteValue(HKEY key, const WideString& name) {
  return ChangeValues(key, [&](RegistryKey& target) {
    return target.RemoveValue(name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS RegistryStore::DeleteKey(HKEY key, const WideString& subKey) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (refuseWrites_) return ERROR_ACCESS_DENIED;
  Target target;
  const LSTATUS status = ResolvePath(key, subKey, &target);
  if (status != ERROR_SUCCESS) return status;
  const std::shared_ptr<RegistryKey>& victim = target.key;
  RegistryKey* parent = victim->Parent();
  // Neither a root nor a key that still has subkeys can go.
  if (parent == nullptr || !victim->SubkeyMap().empty()) return ERROR_ACCESS_DENIED;
  parent->RemoveSubkey(victim);
  if (!Persist(*target.root)) {
    parent->RestoreSubkey(victim);
    return ERROR_CANTWRITE;
  }
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::EnumKey(HKEY key, DWORD index, WideString* name) {
  std::lock_guard<std::mutex> lock(mutex_);
  Target target;
  const LSTATUS status = Resolve(key, KEY_ENUMERATE_SUB_KEYS, &target);
  if (status != ERROR_SUCCESS) return status;
  const RegistryKey::Subkeys& subkeys = target.key->SubkeyMap();
  if (index >= subkeys.size()) return ERROR_NO_MORE_ITEMS;
  *name = std::next(subkeys.begin(), index)->second->Name();
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::EnumValue(HKEY key, DWORD index, WideString* name, DWORD* type, std::vector<BYTE>* data) {
  std::lock_guard<std::mutex> lock(mutex_);
  Target target;
  const LSTATUS status = Resolve(key, KEY_QUERY_VALUE, &target);
  if (status != ERROR_SUCCESS) return status;
  const std::vector<RegistryValue>& values = target.key->Values();
  if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
  *name = values[index].name;
  *type = values[index].type;
  *data = values[index].data;
  return ERROR_SUCCESS;
}
