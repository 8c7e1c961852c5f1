// Descriptors from explicit grants and the access check of a client's token.
#include "platform/callcontext.h"
#include "platform/lasterror.h"
#include "platform/threads.h"
#include "platform/globalmemory.h"
#include "platform/security.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
const GENERIC_MAPPING kLevels = {1, 2, 0, 3};

struct Grant {
  std::string account;
  DWORD rights;
};

// Owner "CURRENT_USER", group "Readers", one GRANT_ACCESS entry per grant.
DWORD Build(const std::vector<Grant>& grants, PSECURITY_DESCRIPTOR* descriptor, const char* group = "Readers") {
  std::vector<EXPLICIT_ACCESS_A> entries(grants.size());
  for (size_t i = 0; i < grants.size(); ++i) {
    entries[i].grfAccessPermissions = grants[i].rights;
    entries[i].grfAccessMode = GRANT_ACCESS;
    entries[i].grfInheritance = NO_INHERITANCE;
    BuildTrusteeWithNameA(&entries[i].Trustee, const_cast<char*>(grants[i].account.c_str()));
  }
  TRUSTEE_A owner;
  TRUSTEE_A groupTrustee;
  BuildTrusteeWithNameA(&owner, const_cast<char*>("CURRENT_USER"));
  BuildTrusteeWithNameA(&groupTrustee, const_cast<char*>(group));
  ULONG size = 0;
  return BuildSecurityDescriptorA(&owner, &groupTrustee, ULONG(entries.size()), entries.data(), 0, nullptr, nullptr,
                                  &size, descriptor);
}

class SecurityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"alice", "bob", "Operators", "Readers"}) DefineAccount(name);
  }
  void TearDown() override {
    LocalFree(descriptor_);
    ForgetDefinedAccounts();
  }

  // Checks as the client would be checked inside a call: impersonating, with its token.
  bool ClientGranted(const ClientCallContext& client, DWORD desired) {
    ScopedCallContext call(client);
    EXPECT_EQ(CoImpersonateClient(), S_OK);
    HANDLE token = nullptr;
    EXPECT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token));
    PRIVILEGE_SET privileges;
    DWORD length = sizeof privileges;
    DWORD granted = 0xFFFFFFFF;
    BOOL status = TRUE;
    MapGenericMask(&desired, &kLevels);
    SetLastError(0);
    EXPECT_TRUE(AccessCheck(descriptor_, token, desired, const_cast<GENERIC_MAPPING*>(&kLevels), &privileges, &length,
                            &granted, &status));
    EXPECT_EQ(granted, status ? desired : 0u);
    if (!status) {
      EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
    CloseHandle(token);
    CoRevertToSelf();
    return status != FALSE;
  }

  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};
}  // namespace

TEST(MapGenericMaskTest, GenericRightsBecomeTheMappedOnesAndOthersStay) {
  const struct {
    DWORD requested;
    DWORD mapped;
  } cases[] = {
      {GENERIC_READ, 1}, {GENERIC_WRITE, 2}, {GENERIC_EXECUTE, 0}, {GENERIC_ALL, 3},
      {GENERIC_READ | GENERIC_WRITE, 3}, {0x0003, 0x0003}, {0x00030002, 0x00030002}, {GENERIC_EXECUTE | 4, 4},
  };
  for (const auto& c : cases) {
    DWORD mask = c.requested;
    MapGenericMask(&mask, &kLevels);
    EXPECT_EQ(mask, c.mapped) << std::hex << c.requested;
  }
}

TEST_F(SecurityTest, AccessIsGrantedWhenAHeldAccountsRightsCoverTheDesiredAccess) {
  const struct {
    const char* what;
    Grant grant;
    ClientCallContext client;
    DWORD desired;
    bool granted;
  } cases[] = {
      {"user match", {"alice", 1}, {"alice", {}}, 1, true},
      {"user match, other case", {"ALICE", 3}, {"Alice", {}}, 2, true},
      {"group match", {"Operators", 3}, {"bob", {"Readers", "operators"}}, 3, true},
      {"Everyone", {"Everyone", 1}, {"bob", {}}, 1, true},
      {"current user", {"CURRENT_USER", 1}, {CurrentUserAccountName(), {}}, 1, true},
      {"whole level word", {"alice", 0x00030002}, {"alice", {}}, 0x00030002, true},
      {"generic read mapped", {"alice", 1}, {"alice", {}}, GENERIC_READ, true},
      {"another user", {"alice", 3}, {"bob", {}}, 1, false},
      {"group not held", {"Operators", 3}, {"alice", {"Readers"}}, 1, false},
      {"desired 0", {"alice", 3}, {"alice", {}}, 0, false},
      {"partial rights", {"alice", 1}, {"alice", {}}, 3, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LocalFree(descriptor_);
    descriptor_ = nullptr;
    ASSERT_EQ(Build({c.grant}, &descriptor_), ERROR_SUCCESS);
    EXPECT_EQ(ClientGranted(c.client, c.desired), c.granted);
  }
  EXPECT_EQ(OpenTokenCount(), 0u);
}

TEST_F(SecurityTest, RightsOfSeveralHeldEntriesAddUp) {
  ASSERT_EQ(Build({{"alice", 1}, {"Operators", 2}}, &descriptor_), ERROR_SUCCESS);
  EXPECT_TRUE(ClientGranted({"alice", {"Operators"}}, 3));
  EXPECT_FALSE(ClientGranted({"alice", {}}, 3));
}

TEST_F(SecurityTest, NamesNoAccountHasCannotBeMapped) {
  SetLastError(0);
  EXPECT_EQ(Build({{"mallory", 1}}, &descriptor_), ERROR_NONE_MAPPED);
  EXPECT_EQ(GetLastError(), ERROR_NONE_MAPPED);
  EXPECT_EQ(Build({{"alice", 1}}, &descriptor_, "NoSuchGroup"), ERROR_NONE_MAPPED);
  EXPECT_EQ(descriptor_, nullptr);
  DefineAccount("mallory");
  EXPECT_EQ(Build({{"MALLORY", 1}}, &descriptor_), ERROR_SUCCESS);
}

TEST_F(SecurityTest, UnsupportedEntriesAndBadArgumentsAreRefused) {
  EXPLICIT_ACCESS_A deny{1, DENY_ACCESS, NO_INHERITANCE, {}};
  BuildTrusteeWithNameA(&deny.Trustee, const_cast<char*>("alice"));
  ULONG size = 0;
  EXPECT_EQ(BuildSecurityDescriptorA(nullptr, nullptr, 1, &deny, 0, nullptr, nullptr, &size, &descriptor_),
            ERROR_INVALID_PARAMETER);
  GlobalMemoryFailNextAllocations(1);
  EXPECT_EQ(Build({{"alice", 3}}, &descriptor_), ERROR_NOT_ENOUGH_MEMORY);
  ASSERT_EQ(Build({{"alice", 3}}, &descriptor_), ERROR_SUCCESS);

  ScopedCallContext call({"alice", {}});
  ASSERT_EQ(CoImpersonateClient(), S_OK);
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token));
  PRIVILEGE_SET privileges;
  DWORD granted = 0;
  BOOL status = FALSE;
  std::vector<BYTE> notADescriptor(64, 0);
  const struct {
    const char* what;
    PSECURITY_DESCRIPTOR descriptor;
    HANDLE token;
    DWORD desired;
    DWORD length;
    DWORD error;
  } cases[] = {
      {"unknown token", descriptor_, reinterpret_cast<HANDLE>(0x4321), 1, 20, ERROR_INVALID_HANDLE},
      {"not a descriptor", notADescriptor.data(), token, 1, 20, ERROR_INVALID_SECURITY_DESCR},
      {"generic rights left", descriptor_, token, GENERIC_READ, 20, ERROR_GENERIC_NOT_MAPPED},
      {"privilege set too short", descriptor_, token, 1, 19, ERROR_INSUFFICIENT_BUFFER},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DWORD length = c.length;
    SetLastError(0);
    EXPECT_FALSE(AccessCheck(c.descriptor, c.token, c.desired, const_cast<GENERIC_MAPPING*>(&kLevels), &privileges,
                             &length, &granted, &status));
    EXPECT_EQ(GetLastError(), c.error);
  }
  DWORD length = 19;
  AccessCheck(descriptor_, token, 1, const_cast<GENERIC_MAPPING*>(&kLevels), &privileges, &length, &granted, &status);
  EXPECT_EQ(length, 20u);
  CloseHandle(token);
}
