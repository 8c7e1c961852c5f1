#include "registry/registrykey.h"

#include <algorithm>

namespace {
char16_t FoldUnit(char16_t unit) {
  const bool asciiLower = unit >= u'a' && unit <= u'z';
  const bool latin1Lower = unit >= 0xE0 && unit <= 0xFE && unit != 0xF7;
  return asciiLower || latin1Lower ? static_cast<char16_t>(unit - 0x20) : unit;
}

bool SameName(const WideString& a, const WideString& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return FoldUnit(x) == FoldUnit(y); });
}
}  // namespace

WideString FoldRegistryName(const WideString& name) {
  WideString folded(name);
  std::transform(folded.begin(), folded.end(), folded.begin(), FoldUnit);
  return folded;
}

RegistryValue* RegistryKey::FindValue(const WideString& name) {
  auto found = std::find_if(values_.begin(), values_.end(), [&](const RegistryValue& v) { return SameName(v.name, name); });
  return found == values_.end() ? nullptr : &*found;
}

void RegistryKey::SetValue(RegistryValue value) {
  RegistryValue* existing = FindValue(value.name);
  if (existing == nullptr) {
    values_.push_back(std::move(value));
    return;
  }
  // The first spelling of the name stays.
  existing->type = value.type;
  existing->data = std::move(value.data);
}

bool RegistryKey::RemoveValue(const WideString& name) {
  RegistryValue* existing = FindValue(name);
  if (existing == nullptr) return false;
  values_.erase(values_.begin() + (existing - values_.data()));
  return true;
}

std::shared_ptr<RegistryKey> RegistryKey::FindSubkey(const WideString& name) const {
  auto found = subkeys_.find(FoldRegistryName(name));
  return found == subkeys_.end() ? nullptr : found->second;
}

std::shared_ptr<RegistryKey> RegistryKey::AddSubkey(const WideString& name) {
  std::shared_ptr<RegistryKey>& slot = subkeys_[FoldRegistryName(name)];
  if (!slot) slot = std::make_shared<RegistryKey>(name, this);
  return slot;
}

void RegistryKey::RemoveSubkey(const std::shared_ptr<RegistryKey>& subkey) {
  subkeys_.erase(FoldRegistryName(subkey->name_));
  subkey->deleted_ = true;
}

void RegistryKey::RestoreSubkey(const std::shared_ptr<RegistryKey>& subkey) {
  subkey->deleted_ = false;
  subkeys_[FoldRegistryName(subkey->name_)] = subkey;
}

std::vector<BYTE> WideTextToBytes(const WideString& text) {
  std::vector<BYTE> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<BYTE>(unit & 0xFF));
    bytes.push_back(static_cast<BYTE>(unit >> 8));
  }
  return bytes;
}

WideString BytesToWideText(const std::vector<BYTE>& data) {
  WideString text;
  text.reserve(data.size() / 2);
  for (size_t i = 0; i + 1 < data.size(); i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  return text;
}
