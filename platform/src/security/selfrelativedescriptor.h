// The layout of the self-relative security descriptors this layer builds: one
// block with offsets in place of pointers, so it can be copied and freed as one.
//
//   header   magic, total size, owner offset, group offset, grant count
//   grants   (rights, account offset) each
//   names    zero-terminated account names
//
// Offset 0 means "none".
#pragma once

#include "platform/security.h"

#include <string>
#include <vector>

struct DescriptorGrant {
  std::string accountName;
  ACCESS_MASK rights;
};

// A block from LocalAlloc, or NULL when it cannot be allocated.
PSECURITY_DESCRIPTOR BuildSelfRelativeDescriptor(const std::string* owner, const std::string* group,
                                                 const std::vector<DescriptorGrant>& grants, ULONG* size);
// False when the block is not a descriptor of this layout.
bool ReadDescriptorGrants(PSECURITY_DESCRIPTOR descriptor, std::vector<DescriptorGrant>* grants);
