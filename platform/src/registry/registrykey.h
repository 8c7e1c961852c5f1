// One key of the registry store: its name as first written, its values in the
// order they were first set, and its subkeys by case-folded name (so they
// enumerate in name order).
#pragma once

#include "platform/wintypes.h"
#include "platform/widetext.h"

#include <map>
#include <memory>
#include <vector>

struct RegistryValue {
  WideString name;
  DWORD type;
  std::vector<BYTE> data;
};

class RegistryKey {
 public:
  typedef std::map<WideString, std::shared_ptr<RegistryKey>> Subkeys;

  RegistryKey(WideString name, RegistryKey* parent) : name_(std::move(name)), parent_(parent) {}

  const WideString& Name() const { return name_; }
  // The key this one is a subkey of; NULL for a root. Valid while the key is not deleted.
  RegistryKey* Parent() const { return parent_; }
  // A deleted key stays alive for the handles still open to it.
  bool IsDeleted() const { return deleted_; }

  std::vector<RegistryValue>& Values() { return values_; }
  const std::vector<RegistryValue>& Values() const { return values_; }
  RegistryValue* FindValue(const WideString& name);
  // Replaces the value of that name in place, or appends it.
  void SetValue(RegistryValue value);
  bool RemoveValue(const WideString& name);

  const Subkeys& SubkeyMap() const { return subkeys_; }
  std::shared_ptr<RegistryKey> FindSubkey(const WideString& name) const;
  // Finds the subkey or adds it under that spelling.
  std::shared_ptr<RegistryKey> AddSubkey(const WideString& name);
  // Takes a subkey out of the tree and marks it deleted.
  void RemoveSubkey(const std::shared_ptr<RegistryKey>& subkey);
  // Puts a removed subkey back as it was.
  void RestoreSubkey(const std::shared_ptr<RegistryKey>& subkey);

 private:
  WideString name_;
  RegistryKey* parent_;
  bool deleted_ = false;
  std::vector<RegistryValue> values_;
  Subkeys subkeys_;
};

// Key and value names compare without regard to the case of ASCII and Latin-1 letters.
WideString FoldRegistryName(const WideString& name);

// String data is wide text stored as little-endian 16-bit units.
std::vector<BYTE> WideTextToBytes(const WideString& text);
// A trailing odd byte is not part of any unit and is dropped.
WideString BytesToWideText(const std::vector<BYTE>& data);
