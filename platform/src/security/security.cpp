#include "platform/security.h"

#include "platform/lasterror.h"
#include "security/accesstoken.h"
#include "security/accountmodel.h"
#include "security/selfrelativedescriptor.h"

#include <vector>

namespace {
constexpr ACCESS_MASK kGenericRights = GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL;

// The account a trustee given by name maps to.
DWORD ResolveTrustee(const TRUSTEE_A* trustee, std::string* accountName) {
  if (trustee->TrusteeForm != TRUSTEE_IS_NAME || trustee->ptstrName == nullptr) return ERROR_INVALID_PARAMETER;
  return LookupAccountName(trustee->ptstrName, accountName) ? ERROR_SUCCESS : ERROR_NONE_MAPPED;
}

// BuildSecurityDescriptorA without its last error.
DWORD BuildDescriptor(PTRUSTEE_A owner, PTRUSTEE_A group, ULONG accessCount, PEXPLICIT_ACCESS_A accessEntries,
                      ULONG auditCount, PSECURITY_DESCRIPTOR oldDescriptor, PULONG newSize,
                      PSECURITY_DESCRIPTOR* newDescriptor) {
  if (newSize == nullptr || newDescriptor == nullptr || auditCount != 0 || oldDescriptor != nullptr ||
      (accessCount != 0 && accessEntries == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  std::string ownerName;
  std::string groupName;
  DWORD error = owner != nullptr ? ResolveTrustee(owner, &ownerName) : ERROR_SUCCESS;
  if (error == ERROR_SUCCESS && group != nullptr) error = ResolveTrustee(group, &groupName);
  std::vector<DescriptorGrant> grants(accessCount);
  for (ULONG i = 0; i < accessCount && error == ERROR_SUCCESS; ++i) {
    const EXPLICIT_ACCESS_A& entry = accessEntries[i];
    if (entry.grfAccessMode != GRANT_ACCESS) return ERROR_INVALID_PARAMETER;
    grants[i].rights = entry.grfAccessPermissions;
    error = ResolveTrustee(&entry.Trustee, &grants[i].accountName);
  }
  if (error != ERROR_SUCCESS) return error;

  PSECURITY_DESCRIPTOR descriptor = BuildSelfRelativeDescriptor(owner != nullptr ? &ownerName : nullptr,
                                                                group != nullptr ? &groupName : nullptr, grants, newSize);
  if (descriptor == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  *newDescriptor = descriptor;
  return ERROR_SUCCESS;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}
}  // namespace

void BuildTrusteeWithNameA(PTRUSTEE_A trustee, LPSTR name) {
  trustee->pMultipleTrustee = nullptr;
  trustee->MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
  trustee->TrusteeForm = TRUSTEE_IS_NAME;
  trustee->TrusteeType = TRUSTEE_IS_UNKNOWN;
  trustee->ptstrName = name;
}

DWORD BuildSecurityDescriptorA(PTRUSTEE_A owner, PTRUSTEE_A group, ULONG accessCount,
                               PEXPLICIT_ACCESS_A accessEntries, ULONG auditCount, PEXPLICIT_ACCESS_A,
                               PSECURITY_DESCRIPTOR oldDescriptor, PULONG newSize,
                               PSECURITY_DESCRIPTOR* newDescriptor) {
  const DWORD error =
      BuildDescriptor(owner, group, accessCount, accessEntries, auditCount, oldDescriptor, newSize, newDescriptor);
  if (error != ERROR_SUCCESS) SetLastError(error);
  return error;
}

BOOL AccessCheck(PSECURITY_DESCRIPTOR descriptor, HANDLE clientToken, DWORD desiredAccess, PGENERIC_MAPPING,
                 PPRIVILEGE_SET privilegeSet, LPDWORD privilegeSetLength, LPDWORD grantedAccess,
                 LPBOOL accessStatus) {
  if (privilegeSetLength == nullptr || grantedAccess == nullptr || accessStatus == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const KernelRef<AccessToken> token = ReferenceHandleAs<AccessToken>(clientToken);
  if (!token) return Fail(ERROR_INVALID_HANDLE);
  std::vector<DescriptorGrant> grants;
  if (!ReadDescriptorGrants(descriptor, &grants)) return Fail(ERROR_INVALID_SECURITY_DESCR);
  if ((desiredAccess & kGenericRights) != 0) return Fail(ERROR_GENERIC_NOT_MAPPED);
  if (privilegeSet == nullptr || *privilegeSetLength < sizeof(PRIVILEGE_SET)) {
    *privilegeSetLength = sizeof(PRIVILEGE_SET);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  privilegeSet->PrivilegeCount = 0;
  privilegeSet->Control = 0;

  // The rights of every entry for an account the token holds add up.
  ACCESS_MASK allowed = 0;
  for (const DescriptorGrant& grant : grants) {
    if (token->Holds(grant.accountName)) allowed |= grant.rights;
  }
  const bool granted = desiredAccess != 0 && (desiredAccess & ~allowed) == 0;
  *grantedAccess = granted ? desiredAccess : 0;
  *accessStatus = granted ? TRUE : FALSE;
  if (!granted) SetLastError(ERROR_ACCESS_DENIED);
  return TRUE;
}
