#include "security/NTUserRecord.h"

#include "platform/globalmemory.h"
#include "platform/hresult.h"
#include "platform/lasterror.h"
#include "platform/security.h"

NTUserRecord::NTUserRecord(std::string name, std::string accountName, DWORD level)
    : name_(std::move(name)), accountName_(std::move(accountName)), level_(level) {}

NTUserRecord::~NTUserRecord() { LocalFree(descriptor_); }

DWORD NTUserRecord::BuildDescriptor() {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(EXPLICIT_ACCESS_A));
  if (block == nullptr) return ERROR_OUTOFMEMORY;
  auto* entry = static_cast<EXPLICIT_ACCESS_A*>(GlobalLock(block));
  entry->grfAccessPermissions = level_;
  entry->grfAccessMode = GRANT_ACCESS;
  entry->grfInheritance = NO_INHERITANCE;
  BuildTrusteeWithNameA(&entry->Trustee, accountName_.data());

  char ownerName[] = "CURRENT_USER";
  TRUSTEE_A owner;
  TRUSTEE_A group;
  BuildTrusteeWithNameA(&owner, ownerName);
  BuildTrusteeWithNameA(&group, name_.data());
  ULONG size = 0;
  const DWORD error = BuildSecurityDescriptorA(&owner, &group, 1, entry, 0, nullptr, nullptr, &size, &descriptor_);
  GlobalUnlock(block);
  GlobalFree(block);
  return error;
}

bool NTUserRecord::Grants(HANDLE clientToken, DWORD desiredAccess) const {
  if (descriptor_ == nullptr) return false;
  GENERIC_MAPPING mapping = kLevelMapping;
  PRIVILEGE_SET privileges;
  DWORD privilegesLength = sizeof privileges;
  DWORD granted = 0;
  BOOL status = FALSE;
  return AccessCheck(descriptor_, clientToken, desiredAccess, &mapping, &privileges, &privilegesLength, &granted,
                     &status) &&
         status;
}
