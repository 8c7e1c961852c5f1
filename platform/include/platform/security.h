// Security descriptors built from explicit grants to named accounts, and the
// access check of a client's token against them.
//
// A small account model stands in for the system's accounts: the current user
// (the process's user), the well-known group "Everyone" (which every token
// holds), and the users and groups defined with DefineAccount. Names compare
// without regard to ASCII case; the trustee name "CURRENT_USER" names the
// current user. A name that is none of these cannot be mapped: building a
// descriptor that names it fails with ERROR_NONE_MAPPED, as the target platform
// fails for names it does not know.
#pragma once

#include "platform/accessmask.h"
#include "platform/hresult.h"
#include "platform/wintypes.h"

#include <string>

typedef void* PSECURITY_DESCRIPTOR;
typedef ULONG* PULONG;

enum MULTIPLE_TRUSTEE_OPERATION { NO_MULTIPLE_TRUSTEE, TRUSTEE_IS_IMPERSONATE };
enum TRUSTEE_FORM { TRUSTEE_IS_SID, TRUSTEE_IS_NAME, TRUSTEE_BAD_FORM, TRUSTEE_IS_OBJECTS_AND_SID,
                    TRUSTEE_IS_OBJECTS_AND_NAME };
enum TRUSTEE_TYPE { TRUSTEE_IS_UNKNOWN, TRUSTEE_IS_USER, TRUSTEE_IS_GROUP, TRUSTEE_IS_DOMAIN, TRUSTEE_IS_ALIAS,
                    TRUSTEE_IS_WELL_KNOWN_GROUP, TRUSTEE_IS_DELETED, TRUSTEE_IS_INVALID, TRUSTEE_IS_COMPUTER };
enum ACCESS_MODE { NOT_USED_ACCESS, GRANT_ACCESS, SET_ACCESS, DENY_ACCESS, REVOKE_ACCESS, SET_AUDIT_SUCCESS,
                   SET_AUDIT_FAILURE };
constexpr DWORD NO_INHERITANCE = 0;

struct TRUSTEE_A {
  TRUSTEE_A* pMultipleTrustee;
  MULTIPLE_TRUSTEE_OPERATION MultipleTrusteeOperation;
  TRUSTEE_FORM TrusteeForm;
  TRUSTEE_TYPE TrusteeType;
  LPSTR ptstrName;
};
typedef TRUSTEE_A* PTRUSTEE_A;

struct EXPLICIT_ACCESS_A {
  DWORD grfAccessPermissions;
  ACCESS_MODE grfAccessMode;
  DWORD grfInheritance;
  TRUSTEE_A Trustee;
};
typedef EXPLICIT_ACCESS_A* PEXPLICIT_ACCESS_A;

struct LUID {
  DWORD LowPart;
  LONG HighPart;
};
struct LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
};
struct PRIVILEGE_SET {
  DWORD PrivilegeCount;
  DWORD Control;
  LUID_AND_ATTRIBUTES Privilege[1];
};
typedef PRIVILEGE_SET* PPRIVILEGE_SET;
static_assert(sizeof(PRIVILEGE_SET) == 20, "a privilege set with room for one privilege is 20 bytes");

// Defines a user or group account by name; defining it again changes nothing.
void DefineAccount(const std::string& name);
// Forgets the accounts defined with DefineAccount.
void ForgetDefinedAccounts();
std::string CurrentUserAccountName();

// A trustee given by its name; the name is pointed to, not copied.
void BuildTrusteeWithNameA(PTRUSTEE_A trustee, LPSTR name);

// Builds a self-relative descriptor with the owner and group (either may be
// NULL) and one grant per entry, into a block freed with LocalFree. Entries must
// be GRANT_ACCESS to a trustee given by name; inheritance flags are accepted and
// have no effect. Audit entries and a previous descriptor are not supported
// (ERROR_INVALID_PARAMETER). Returns ERROR_SUCCESS, or the error, which is also
// left as the thread's last error.
DWORD BuildSecurityDescriptorA(PTRUSTEE_A owner, PTRUSTEE_A group, ULONG accessCount,
                               PEXPLICIT_ACCESS_A accessEntries, ULONG auditCount, PEXPLICIT_ACCESS_A auditEntries,
                               PSECURITY_DESCRIPTOR oldDescriptor, PULONG newSize,
                               PSECURITY_DESCRIPTOR* newDescriptor);

// Grants when the rights of the entries whose account the token holds cover the
// desired access; a desired access of 0 is never granted. The call itself
// succeeds then either way (*accessStatus tells; a refusal leaves
// ERROR_ACCESS_DENIED as the last error). It fails (FALSE and the last error) for
// an unknown token, a block that is not a descriptor of BuildSecurityDescriptorA,
// generic rights in the desired access, or a privilege set shorter than 20
// bytes (ERROR_INSUFFICIENT_BUFFER, *privilegeSetLength set to 20).
BOOL AccessCheck(PSECURITY_DESCRIPTOR descriptor, HANDLE clientToken, DWORD desiredAccess,
                 PGENERIC_MAPPING mapping, PPRIVILEGE_SET privilegeSet, LPDWORD privilegeSetLength,
                 LPDWORD grantedAccess, LPBOOL accessStatus);
