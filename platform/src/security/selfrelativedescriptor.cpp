#include "security/selfrelativedescriptor.h"

#include "platform/globalmemory.h"

#include <cstring>

namespace {
constexpr DWORD kMagic = 0x44535253;  // "SRSD"

struct Header {
  DWORD magic;
  DWORD size;
  DWORD ownerOffset;
  DWORD groupOffset;
  DWORD grantCount;
};

struct GrantRecord {
  ACCESS_MASK rights;
  DWORD accountOffset;
};

// The name at the offset, if it lies whole inside the block.
bool ReadName(const BYTE* block, DWORD size, DWORD offset, std::string* name) {
  if (offset == 0 || offset >= size) return false;
  const void* end = std::memchr(block + offset, '\0', size - offset);
  if (end == nullptr) return false;
  name->assign(reinterpret_cast<const char*>(block + offset));
  return true;
}
}  // namespace

PSECURITY_DESCRIPTOR BuildSelfRelativeDescriptor(const std::string* owner, const std::string* group,
                                                 const std::vector<DescriptorGrant>& grants, ULONG* size) {
  const size_t namesStart = sizeof(Header) + grants.size() * sizeof(GrantRecord);
  std::string names;
  auto placeName = [&](const std::string& name) {
    const DWORD offset = static_cast<DWORD>(namesStart + names.size());
    names.append(name).push_back('\0');
    return offset;
  };
  Header header{kMagic, 0, owner != nullptr ? placeName(*owner) : 0, group != nullptr ? placeName(*group) : 0,
                static_cast<DWORD>(grants.size())};
  std::vector<GrantRecord> records;
  for (const DescriptorGrant& grant : grants) records.push_back({grant.rights, placeName(grant.accountName)});
  header.size = static_cast<DWORD>(namesStart + names.size());

  auto* block = static_cast<BYTE*>(LocalAlloc(LMEM_FIXED, header.size));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &header, sizeof header);
  if (!records.empty()) std::memcpy(block + sizeof header, records.data(), records.size() * sizeof(GrantRecord));
  std::memcpy(block + namesStart, names.data(), names.size());
  *size = header.size;
  return block;
}

bool ReadDescriptorGrants(PSECURITY_DESCRIPTOR descriptor, std::vector<DescriptorGrant>* grants) {
  if (descriptor == nullptr) return false;
  const auto* block = static_cast<const BYTE*>(descriptor);
  Header header;
  std::memcpy(&header, block, sizeof header);
  if (header.magic != kMagic || header.size < sizeof header ||
      header.grantCount > (header.size - sizeof header) / sizeof(GrantRecord)) {
    return false;
  }
  grants->clear();
  for (DWORD i = 0; i < header.grantCount; ++i) {
    GrantRecord record;
    std::memcpy(&record, block + sizeof header + i * sizeof(GrantRecord), sizeof record);
    DescriptorGrant grant{std::string(), record.rights};
    if (!ReadName(block, header.size, record.accountOffset, &grant.accountName)) return false;
    grants->push_back(std::move(grant));
  }
  return true;
}
