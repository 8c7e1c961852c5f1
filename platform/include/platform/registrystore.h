// The process's registry behind the Reg* functions: one tree of keys per
// predefined root, each kept in its own text file in one folder. A root is
// loaded on first use and its file rewritten after every change; a change
// that cannot be written is undone and fails with ERROR_CANTWRITE. A root whose
// file cannot be read or parsed answers ERROR_BADDB and is never overwritten.
//
// The folder is $ZELVO_REGISTRY_DIR, else $XDG_CONFIG_HOME/zelvo/registry, else
// ~/.config/zelvo/registry. A fresh root holds the keys a fresh system has:
// CLSID and AppID under HKEY_CLASSES_ROOT and the Run key of HKEY_CURRENT_USER.
//
// Safe for use from any thread. The store is one process's: two processes
// writing the same folder overwrite each other's changes.
#pragma once

#include "platform/registry.h"
#include "platform/widetext.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class RegistryKey;

class RegistryStore {
 public:
  static RegistryStore& Instance();

  // Forgets every key, every open handle and the refusal of writes, as a
  // restart of the process would: the next call loads the roots again from the
  // folder the environment names then.
  void Reset();
  // While set, the store is read-only: every change fails with
  // ERROR_ACCESS_DENIED and so does opening or creating a key with any right to
  // change it; nothing changes in memory or on disk.
  void SetRefuseWrites(bool refuse);
  std::string Folder();

  // The operations behind the Reg* functions, on wide names.
  LSTATUS CreateKey(HKEY key, const WideString& subKey, REGSAM desired, HKEY* result, DWORD* disposition);
  LSTATUS OpenKey(HKEY key, const WideString& subKey, REGSAM desired, HKEY* result);
  LSTATUS CloseKey(HKEY key);
  LSTATUS SetValue(HKEY key, const WideString& name, DWORD type, std::vector<BYTE> data);
  LSTATUS QueryValue(HKEY key, const WideString& name, DWORD* type, std::vector<BYTE>* data);
  LSTATUS DeleteValue(HKEY key, const WideString& name);
  LSTATUS DeleteKey(HKEY key, const WideString& subKey);
  LSTATUS EnumKey(HKEY key, DWORD index, WideString* name);
  LSTATUS EnumValue(HKEY key, DWORD index, WideString* name, DWORD* type, std::vector<BYTE>* data);

 private:
  struct Root {
    const char* fileName;
    std::shared_ptr<RegistryKey> key;  // NULL until loaded
    bool unreadable;
  };
  // What a handle names: a key of one root, with the rights it was opened with.
  struct Target {
    Root* root;
    std::shared_ptr<RegistryKey> key;
    REGSAM access;
  };

  RegistryStore();
  void ForgetAll();
  LSTATUS Resolve(HKEY key, REGSAM required, Target* target);
  // Resolves the handle and walks down the subkey path to a key that exists.
  LSTATUS ResolvePath(HKEY key, const WideString& subKey, Target* target);
  // Applies a change to the key's values and writes its root, or undoes it.
  LSTATUS ChangeValues(HKEY key, const std::function<LSTATUS(RegistryKey&)>& change);
  LSTATUS LoadRoot(Root& root);
  LSTATUS MapAccess(REGSAM desired, REGSAM* access) const;
  HKEY AddHandle(const Target& target);
  bool Persist(const Root& root);

  std::mutex mutex_;
  std::string folder_;  // empty until the first root is loaded
  Root roots_[3];
  std::unordered_map<uintptr_t, Target> handles_;
  uintptr_t nextHandle_;
  bool refuseWrites_;
};
