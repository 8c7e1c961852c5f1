#include "BenchTagNames.h"

#include <cstdio>

namespace {
constexpr size_t kDevices = 100;
constexpr size_t kTypes = 10;
}  // namespace

std::vector<std::string> BenchTagNames(size_t count) {
  std::vector<std::string> names;
  names.reserve(count);
  const size_t perType = (count + kDevices * kTypes - 1) / (kDevices * kTypes);
  char name[64];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "SN%08zu.Type%zu.Name%zu", i % kDevices, (i / kDevices) % kTypes,
                  i / (kDevices * kTypes) % perType);
    names.emplace_back(name);
  }
  return names;
}

std::vector<DWORD> CreateBenchTags(std::vector<std::string>& names, bool hashed) {
  SetHashing(hashed ? static_cast<UINT>(names.size() * 2) : 0);
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_R4;
  std::vector<DWORD> handles;
  handles.reserve(names.size());
  for (std::string& name : names) handles.push_back(CreateTag(name.data(), value, 0xC0, TRUE));
  return handles;
}

void RemoveBenchTags(const std::vector<DWORD>& handles) {
  for (DWORD handle : handles) RemoveTag(handle);
}
