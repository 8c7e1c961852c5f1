#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> ChildNames(const OPCTag& node) {
  std::vector<std::string> names;
  for (const auto& child : node.children) names.push_back(child->name);
  return names;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(TagTree, CreationMakesBranchesOnceAndRefusesDuplicates) {
  CVorlixApp& app = VorlixApp();
  const DWORD abc = NewTag("A.B.C");
  const DWORD abd = NewTag("A.B.D");
  const DWORD x = NewTag("X");
  for (DWORD handle : {abc, abd, x}) {
    EXPECT_NE(handle, 0u);
    EXPECT_NE(handle, VORLIX_INVALID_TAG);
  }
  EXPECT_NE(abc, abd);
  EXPECT_EQ(NewTag("A.B.C"), VORLIX_INVALID_TAG);
  EXPECT_EQ(CreateTag(nullptr, MakeR4(0), OPC_QUALITY_GOOD, TRUE), VORLIX_INVALID_TAG);

  EXPECT_EQ(ChildNames(app.RootTag()), (Names{"A", "X"}));
  const OPCTag* a = app.RootTag().children[0].get();
  EXPECT_EQ(ChildNames(*a), (Names{"B"}));
  EXPECT_EQ(ChildNames(*a->children[0]), (Names{"A.B.C", "A.B.D"}));
  EXPECT_EQ(app.TagFromHandle(abd)->name, "A.B.D");
  EXPECT_FALSE(a->HasHandle());

  const OPCTag* leaf = app.TagFromHandle(abc);
  EXPECT_EQ(leaf->live->value.vt, VT_R4);
  EXPECT_EQ(leaf->live->quality, OPC_QUALITY_GOOD);
  EXPECT_EQ(leaf->live->readAccess, 0x10001u);
  EXPECT_EQ(leaf->live->writeAccess, 0x10002u);
}

TEST(TagTree, RemovalPrunesEmptyBranchesOnly) {
  CVorlixApp& app = VorlixApp();
  const DWORD abc = NewTag("A.B.C");
  const DWORD abd = NewTag("A.B.D");
  EXPECT_TRUE(RemoveTag(abc));
  EXPECT_EQ(ChildNames(*app.RootTag().children[0]->children[0]), (Names{"A.B.D"}));
  EXPECT_TRUE(RemoveTag(abd));
  EXPECT_TRUE(app.RootTag().children.empty());

  for (DWORD handle : std::initializer_list<DWORD>{abc, abd, 0u, VORLIX_INVALID_TAG, 12345u}) {
    EXPECT_FALSE(RemoveTag(handle)) << handle;
    EXPECT_FALSE(SuspendTagUpdates(handle, TRUE)) << handle;
  }
}

TEST(TagTree, ALeafWithTagsBelowItKeepsOrLosesThemAsAWhole) {
  CVorlixApp& app = VorlixApp();
  // "A.B" walks into the leaf "A" and hangs below it.
  const DWORD a = NewTag("A");
  const DWORD ab = NewTag("A.B");
  const DWORD abc = NewTag("A.B.C");
  EXPECT_EQ(ChildNames(*app.TagFromHandle(a)), (Names{"A.B", "B"}));

  // Removing what hangs below the leaf leaves the leaf itself alone.
  EXPECT_TRUE(RemoveTag(abc));
  EXPECT_EQ(ChildNames(*app.TagFromHandle(a)), (Names{"A.B"}));
  EXPECT_TRUE(RemoveTag(ab));
  ASSERT_NE(app.TagFromHandle(a), nullptr);

  // Removing the leaf takes what hangs below it, handles included.
  const DWORD again = NewTag("A.B");
  EXPECT_TRUE(RemoveTag(a));
  EXPECT_EQ(app.TagFromHandle(again), nullptr);
  EXPECT_FALSE(RemoveTag(again));
  EXPECT_TRUE(app.RootTag().children.empty());
}

TEST(TagTree, AValueThatCannotBeCopiedCreatesNothing) {
  VARIANT invalid;
  VariantInit(&invalid);
  invalid.vt = 0x7FFF;
  EXPECT_EQ(NewTag("Q.R.S", invalid), VORLIX_INVALID_TAG);
  EXPECT_TRUE(VorlixApp().RootTag().children.empty());
}

TEST(TagTree, LookupWalksComponentsThenMatchesTheFullName) {
  CVorlixApp& app = VorlixApp();
  const DWORD abc = NewTag("A.B.C");
  ServerLock::Hold hold(app.GetServerLock());
  EXPECT_EQ(app.FindTag("", "A"), app.RootTag().children[0].get());
  EXPECT_EQ(app.FindTag("", "A.B"), nullptr);
  EXPECT_EQ(app.FindTag("A", "B.C"), app.TagFromHandle(abc));
  EXPECT_EQ(app.FindTag("A.", "B.C"), app.TagFromHandle(abc));
  EXPECT_EQ(app.FindTag("", "a.b.c"), nullptr);
}

TEST(TagTree, AnotherDelimiterNamesTheSameTagThreeWays) {
  SetVarnOPCsvrQualifier('/');
  const DWORD ab = NewTag("A/B");
  CVorlixApp& app = VorlixApp();
  EXPECT_EQ(ChildNames(app.RootTag()), (Names{"A"}));
  ServerLock::Hold hold(app.GetServerLock());
  const OPCTag* tag = app.TagFromHandle(ab);
  EXPECT_EQ(app.FindTag("", "A/B"), tag);
  EXPECT_EQ(app.FindTag("A", "B"), tag);
  EXPECT_EQ(app.FindTag("A/", "B"), tag);
  EXPECT_EQ(app.FindTag("", "A.B"), nullptr);
}
