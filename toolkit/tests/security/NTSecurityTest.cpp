#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include "platform/callcontext.h"
#include "platform/globalmemory.h"
#include "platform/security.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

constexpr DWORD kLevel1 = 0x00010000;
constexpr DWORD kLevel2 = 0x00020000;
constexpr DWORD kLevel3 = 0x00030000;

DWORD Define(std::string record, std::string account, DWORD access) {
  return DefineNTUser(record.data(), account.data(), access);
}

ClientCallContext Client(const std::string& user, std::vector<std::string> groups = {},
                         DWORD impersonationLevel = RPC_C_IMP_LEVEL_IMPERSONATE) {
  return ClientCallContext{user, std::move(groups), impersonationLevel, true};
}

// What a client sees of one item from inside one of its calls.
struct ClientView {
  DWORD rights;
  std::string readUser;
  std::string writeUser;
  bool stillImpersonating;
};

ClientView ViewOf(const ClientCallContext& client, const std::string& item) {
  ScopedCallContext call(client);
  ClientView view{0xFFFF, "", "", false};
  EXPECT_EQ(Validate("", item, VT_EMPTY, nullptr, &view.rights), S_OK);
  DWORD readWord = 0;
  DWORD writeWord = 0;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    const OPCTag* tag = VorlixApp().FindTag("", item);
    readWord = tag->live->readAccess;
    writeWord = tag->live->writeAccess;
  }
  view.readUser = VorlixApp().GetClientUserName(readWord);
  view.writeUser = VorlixApp().GetClientUserName(writeWord);
  view.stillImpersonating = IsImpersonatingClient();
  return view;
}

// Whether the client holds the NT level of the access word.
bool Holds(const ClientCallContext& client, DWORD accessWord) {
  ScopedCallContext call(client);
  return VorlixApp().CheckNTAccess(accessWord) != FALSE;
}

class NTAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* account : {"alice", "bob", "charlie", "Operators", "Readers", "Writers", "R1", "R2"}) {
      DefineAccount(account);
    }
  }
  void TearDown() override { ForgetDefinedAccounts(); }
};

}  // namespace

TEST_F(NTAccess, DefinedLevelIsTheLowHalfOrElseTheHighHalfOfTheAccess) {
  const struct {
    DWORD access;
    bool holds[3];  // levels 1, 2 and 3
  } cases[] = {
      {0x00010000, {true, false, false}},
      {0x00020000, {false, true, false}},
      {0x00030000, {true, true, true}},
      {0x00030002, {false, true, false}},  // the whole value: level bit 1 only
      {0x00000001, {true, false, false}},
  };
  const ClientCallContext alice = Client("alice");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.access);
    EXPECT_EQ(Define("Operators", "alice", c.access), 0u);
    EXPECT_EQ(Holds(alice, kLevel1), c.holds[0]);
    EXPECT_EQ(Holds(alice, kLevel2), c.holds[1]);
    EXPECT_EQ(Holds(alice, kLevel3), c.holds[2]);
  }
}

TEST_F(NTAccess, RedefiningARecordForTheSameAccountMovesItToTheEnd) {
  ASSERT_TRUE(EnableNTSecurity(TRUE, RPC_C_IMP_LEVEL_IMPERSONATE));
  const ClientCallContext bob = Client("bob", {"Readers", "Writers"});
  auto userFor = [&](DWORD word) {
    ScopedCallContext call(bob);
    return VorlixApp().GetClientUserName(word);
  };
  ASSERT_EQ(Define("R1", "Readers", kLevel1), 0u);
  ASSERT_EQ(Define("R2", "Writers", kLevel3), 0u);
  EXPECT_EQ(userFor(kLevel1), "Readers");

  // The old R1 goes, the new one comes after R2; its level replaces the old one.
  ASSERT_EQ(Define("R1", "Readers", kLevel3), 0u);
  EXPECT_EQ(userFor(kLevel1), "Writers");
  ASSERT_EQ(Define("R2", "Writers", kLevel2), 0u);
  EXPECT_EQ(userFor(kLevel1), "Readers");
  EXPECT_EQ(userFor(kLevel3), "Readers");

  // The same record name for another account is a record of its own.
  ASSERT_EQ(Define("R1", "alice", kLevel1), 0u);
  EXPECT_TRUE(Holds(Client("alice"), kLevel1));
  EXPECT_TRUE(Holds(Client("carol", {"Readers"}), kLevel3));
}

TEST_F(NTAccess, ItemRightsAndUserNamesFollowTheCallersLevels) {
  ASSERT_TRUE(EnableNTSecurity(TRUE, RPC_C_IMP_LEVEL_IMPERSONATE));
  ASSERT_EQ(Define("Operators", "alice", kLevel1), 0u);
  ASSERT_EQ(Define("Operators", "Writers", kLevel3), 0u);
  CreateSecureTag(std::string("Secure").data(), MakeR4(0), OPC_QUALITY_GOOD, kLevel1, kLevel2);
  CreateTag(std::string("ReadOnly").data(), MakeR4(0), OPC_QUALITY_GOOD, FALSE);

  ClientCallContext noToken = Client("alice");
  noToken.tokenAvailable = false;
  const struct {
    const char* what;
    ClientCallContext client;
    DWORD secureRights;
    DWORD readOnlyRights;
    const char* readUser;
    const char* writeUser;
  } cases[] = {
      {"level 1", Client("alice"), OPC_READABLE, OPC_READABLE, "alice", "Unknown"},
      {"level 3 through a group", Client("bob", {"Writers"}), OPC_READABLE | OPC_WRITEABLE, OPC_READABLE, "Writers",
       "Writers"},
      {"above the least impersonation level", Client("alice", {}, RPC_C_IMP_LEVEL_DELEGATE), OPC_READABLE,
       OPC_READABLE, "alice", "Unknown"},
      {"below the least impersonation level", Client("bob", {"Writers"}, RPC_C_IMP_LEVEL_IDENTIFY), 0, 0, "Unknown",
       "Unknown"},
      {"no token", noToken, 0, 0, "Unknown", "Unknown"},
      {"no granting record", Client("charlie"), 0, 0, "Unknown", "Unknown"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ClientView secure = ViewOf(c.client, "Secure");
    EXPECT_EQ(secure.rights, c.secureRights);
    EXPECT_EQ(secure.readUser, c.readUser);
    EXPECT_EQ(secure.writeUser, c.writeUser);
    EXPECT_FALSE(secure.stillImpersonating);
    EXPECT_EQ(ViewOf(c.client, "ReadOnly").rights, c.readOnlyRights);
  }
  EXPECT_EQ(OpenTokenCount(), 0u);

  // The host's own thread serves no client.
  DWORD rights = 0xFFFF;
  EXPECT_EQ(Validate("", "Secure", VT_EMPTY, nullptr, &rights), S_OK);
  EXPECT_EQ(rights, 0u);
}

TEST_F(NTAccess, SwitchingItOffBringsBackTheAccessBitsAndKeepsTheRecords) {
  ASSERT_EQ(Define("Operators", "alice", kLevel1), 0u);
  NewTag("Tag");
  const ClientCallContext alice = Client("alice");
  const ClientCallContext charlie = Client("charlie");
  EXPECT_EQ(ViewOf(charlie, "Tag").rights, OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(ViewOf(alice, "Tag").readUser, "Unknown");

  ASSERT_TRUE(EnableNTSecurity(TRUE, RPC_C_IMP_LEVEL_DEFAULT));
  EXPECT_EQ(ViewOf(charlie, "Tag").rights, 0u);
  EXPECT_EQ(ViewOf(alice, "Tag").readUser, "alice");

  ASSERT_TRUE(EnableNTSecurity(FALSE, RPC_C_IMP_LEVEL_DEFAULT));
  EXPECT_EQ(ViewOf(charlie, "Tag").rights, OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(ViewOf(alice, "Tag").readUser, "Unknown");

  ASSERT_TRUE(EnableNTSecurity(TRUE, RPC_C_IMP_LEVEL_DEFAULT));
  EXPECT_EQ(ViewOf(alice, "Tag").rights, OPC_READABLE | OPC_WRITEABLE);
}

TEST_F(NTAccess, RecordsThatCannotBeBuiltAreReportedAndGrantNothing) {
  const ClientCallContext alice = Client("alice", {"Operators"});
  GlobalMemoryFailNextAllocations(1);
  EXPECT_EQ(Define("Operators", "alice", kLevel1), ERROR_OUTOFMEMORY);
  EXPECT_EQ(Define("NoSuchGroup", "alice", kLevel1), ERROR_NONE_MAPPED);
  EXPECT_EQ(Define("Operators", "mallory", kLevel1), ERROR_NONE_MAPPED);
  EXPECT_EQ(DefineNTUser(nullptr, std::string("alice").data(), kLevel1), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DefineNTUser(std::string("Operators").data(), nullptr, kLevel1), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(Holds(alice, kLevel1));

  EXPECT_EQ(Define("Operators", "alice", kLevel1), 0u);
  EXPECT_TRUE(Holds(alice, kLevel1));
}

TEST_F(NTAccess, ClientsCheckingWhileTheHostRedefinesAlwaysSeeOneWholeRecord) {
  ASSERT_TRUE(EnableNTSecurity(TRUE, RPC_C_IMP_LEVEL_DEFAULT));
  ASSERT_EQ(Define("Operators", "alice", kLevel1), 0u);
  NewTag("Tag");
  std::atomic<bool> done{false};
  std::thread host([&] {
    for (int i = 0; i < 200; ++i) {
      EXPECT_EQ(Define("Operators", "alice", i % 2 == 0 ? kLevel3 : kLevel1), 0u);
      EnableNTSecurity(TRUE, RPC_C_IMP_LEVEL_DEFAULT);
    }
    done = true;
  });
  const ClientCallContext alice = Client("alice");
  do {
    const DWORD rights = ViewOf(alice, "Tag").rights;
    EXPECT_TRUE(rights == OPC_READABLE || rights == (OPC_READABLE | OPC_WRITEABLE)) << rights;
  } while (!done);
  host.join();
}
