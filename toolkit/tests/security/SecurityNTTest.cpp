#include "Vorlix.h"
#include "support/OpcTestClient.h"
#include "support/RunningServer.h"
#include "support/TraceCapture.h"

#include "platform/IOPCSecurityNT.h"
#include "platform/callcontext.h"
#include "platform/opcguid.h"

#include <gtest/gtest.h>

namespace {

// A client of a running server, asking through IOPCSecurityNT.
class SecurityNT : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Started());
    ASSERT_EQ(client_.Connect(), S_OK);
    ASSERT_EQ(client_.Query(IID_IOPCSecurityNT, &security_), S_OK);
  }

  // ChangeUser as a client that allows the given impersonation level; also
  // whether the thread was still impersonating after the call.
  HRESULT ChangeUserAs(DWORD impersonationLevel, bool* stillImpersonating) {
    client_.SetIdentity(ClientCallContext{"alice", {}, impersonationLevel, true});
    return client_.AsClient([&] {
      const HRESULT hr = security_->ChangeUser();
      *stillImpersonating = IsImpersonatingClient();
      return hr;
    });
  }

  RunningServer server_;
  OpcTestClient client_;
  IOPCSecurityNT* security_ = nullptr;
};

}  // namespace

TEST_F(SecurityNT, ReportsTheHostsSwitchAndMinimumLevelWithoutTracing) {
  TraceCapture capture;
  BOOL available = TRUE;
  DWORD level = 9;
  ASSERT_EQ(security_->IsAvailableNT(&available), S_OK);
  EXPECT_FALSE(available);
  ASSERT_EQ(security_->QueryMinImpersonationLevel(&level), S_OK);
  EXPECT_EQ(level, 0u);

  ASSERT_TRUE(EnableNTSecurity(TRUE, RPC_C_IMP_LEVEL_IMPERSONATE));
  ASSERT_EQ(security_->IsAvailableNT(&available), S_OK);
  EXPECT_TRUE(available);
  ASSERT_EQ(security_->QueryMinImpersonationLevel(&level), S_OK);
  EXPECT_EQ(level, RPC_C_IMP_LEVEL_IMPERSONATE);

  EXPECT_EQ(security_->IsAvailableNT(nullptr), E_INVALIDARG);
  EXPECT_EQ(security_->QueryMinImpersonationLevel(nullptr), E_INVALIDARG);
  EXPECT_TRUE(capture.Lines().empty());
}

TEST_F(SecurityNT, ChangeUserNeedsAClientCallAtTheMinimumImpersonationLevel) {
  bool stillImpersonating = true;
  // Switched off, the stored minimum still counts.
  ASSERT_TRUE(EnableNTSecurity(FALSE, RPC_C_IMP_LEVEL_IMPERSONATE));
  EXPECT_EQ(ChangeUserAs(RPC_C_IMP_LEVEL_IMPERSONATE, &stillImpersonating), S_OK);
  EXPECT_FALSE(stillImpersonating);
  EXPECT_EQ(ChangeUserAs(RPC_C_IMP_LEVEL_IDENTIFY, &stillImpersonating), static_cast<HRESULT>(0xC0040302));
  EXPECT_FALSE(stillImpersonating);
  EXPECT_EQ(ChangeUserAs(RPC_C_IMP_LEVEL_ANONYMOUS, &stillImpersonating), static_cast<HRESULT>(0xC0040302));

  ASSERT_TRUE(EnableNTSecurity(TRUE, RPC_C_IMP_LEVEL_IDENTIFY));
  EXPECT_EQ(ChangeUserAs(RPC_C_IMP_LEVEL_IDENTIFY, &stillImpersonating), S_OK);
  // Outside a client call there is nobody to change to.
  EXPECT_EQ(security_->ChangeUser(), RPC_E_CALL_COMPLETE);
}
