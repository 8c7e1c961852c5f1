// The per-thread client call context: impersonation, revert, the client's blanket and token.
#include "platform/callcontext.h"
#include "platform/lasterror.h"
#include "platform/threads.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

DWORD OpenTokenError() {
  HANDLE token = nullptr;
  SetLastError(0);
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token)) {
    CloseHandle(token);
    return ERROR_SUCCESS;
  }
  return GetLastError();
}
}  // namespace

TEST(CallContextTest, OutsideACallThereIsNoClient) {
  DWORD level = 0;
  EXPECT_EQ(CoImpersonateClient(), RPC_E_CALL_COMPLETE);
  EXPECT_EQ(CoRevertToSelf(), RPC_E_CALL_COMPLETE);
  EXPECT_EQ(CoQueryClientBlanket(nullptr, nullptr, nullptr, nullptr, &level, nullptr, nullptr), RPC_E_CALL_COMPLETE);
  EXPECT_FALSE(IsImpersonatingClient());
  EXPECT_EQ(OpenTokenError(), ERROR_NO_TOKEN);
}

TEST(CallContextTest, TokenExistsOnlyWhileImpersonatingUntilRevert) {
  ScopedCallContext call({"alice", {"Operators"}, RPC_C_IMP_LEVEL_IDENTIFY, true});
  DWORD level = 0;
  DWORD authnLevel = 0;
  EXPECT_EQ(CoQueryClientBlanket(nullptr, nullptr, nullptr, &authnLevel, &level, nullptr, nullptr), S_OK);
  EXPECT_EQ(level, RPC_C_IMP_LEVEL_IDENTIFY);
  EXPECT_EQ(authnLevel, RPC_C_AUTHN_LEVEL_CONNECT);

  EXPECT_FALSE(IsImpersonatingClient());
  EXPECT_EQ(OpenTokenError(), ERROR_NO_TOKEN);
  ASSERT_EQ(CoImpersonateClient(), S_OK);
  EXPECT_TRUE(IsImpersonatingClient());

  HANDLE token = nullptr;
  ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token));
  EXPECT_EQ(OpenTokenCount(), 1u);
  EXPECT_EQ(CoRevertToSelf(), S_OK);
  EXPECT_FALSE(IsImpersonatingClient());
  EXPECT_EQ(OpenTokenError(), ERROR_NO_TOKEN);

  EXPECT_TRUE(CloseHandle(token));
  EXPECT_EQ(OpenTokenCount(), 0u);
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(token));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(CallContextTest, EndOfACallEndsItsImpersonationAndRestoresTheOuterOne) {
  {
    ScopedCallContext outer({"alice", {}, RPC_C_IMP_LEVEL_IMPERSONATE, true});
    ASSERT_EQ(CoImpersonateClient(), S_OK);
    {
      ScopedCallContext inner({"bob", {}, RPC_C_IMP_LEVEL_DELEGATE, true});
      EXPECT_FALSE(IsImpersonatingClient());
      ASSERT_EQ(CoImpersonateClient(), S_OK);
    }
    EXPECT_TRUE(IsImpersonatingClient());
    DWORD level = 0;
    EXPECT_EQ(CoQueryClientBlanket(nullptr, nullptr, nullptr, nullptr, &level, nullptr, nullptr), S_OK);
    EXPECT_EQ(level, RPC_C_IMP_LEVEL_IMPERSONATE);
  }
  EXPECT_FALSE(IsImpersonatingClient());
  EXPECT_EQ(CoImpersonateClient(), RPC_E_CALL_COMPLETE);
}

TEST(CallContextTest, ContextBelongsToItsThread) {
  ScopedCallContext call({"alice", {}, RPC_C_IMP_LEVEL_IMPERSONATE, true});
  ASSERT_EQ(CoImpersonateClient(), S_OK);
  HRESULT otherThread = S_OK;
  std::thread([&] { otherThread = CoImpersonateClient(); }).join();
  EXPECT_EQ(otherThread, RPC_E_CALL_COMPLETE);
  EXPECT_TRUE(IsImpersonatingClient());
}

TEST(CallContextTest, TokenIsRefusedWithoutOneOrForAnotherThread) {
  {
    ScopedCallContext call({"anonymous", {}, RPC_C_IMP_LEVEL_ANONYMOUS, false});
    ASSERT_EQ(CoImpersonateClient(), S_OK);
    EXPECT_EQ(OpenTokenError(), ERROR_NO_TOKEN);
  }
  ScopedCallContext call({"alice", {}, RPC_C_IMP_LEVEL_IMPERSONATE, true});
  ASSERT_EQ(CoImpersonateClient(), S_OK);
  HANDLE token = nullptr;
  SetLastError(0);
  EXPECT_FALSE(OpenThreadToken(reinterpret_cast<HANDLE>(0x1234), TOKEN_QUERY, FALSE, &token));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(OpenTokenCount(), 0u);
}
