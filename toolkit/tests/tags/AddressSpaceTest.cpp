#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;
using Position = std::vector<std::string>;

// What BrowseItemIDs lists, taken under the lock as the browsing interface does.
Names Browse(const Position& position, OPCBROWSETYPE type, const WideString& filter = OLESTR(""),
             VARTYPE typeFilter = VT_EMPTY, DWORD rightsFilter = 0) {
  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  Names names;
  const int count = app.BrowseItemIDs(position, names, type, filter.c_str(), typeFilter, rightsFilter);
  EXPECT_EQ(count, static_cast<int>(names.size()));
  return names;
}

class AddressSpace : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"A.B.T1", "A.B.T2", "A.X"}) ASSERT_NE(NewTag(name), VORLIX_INVALID_TAG);
  }
};

}  // namespace

TEST_F(AddressSpace, BranchesLeavesAndTheFlatList) {
  EXPECT_EQ(Browse({}, OPC_BRANCH), Names{"A"});
  EXPECT_EQ(Browse({}, OPC_LEAF), Names{});
  EXPECT_EQ(Browse({"A"}, OPC_BRANCH), Names{"B"});
  EXPECT_EQ(Browse({"A"}, OPC_LEAF), Names{"X"});
  EXPECT_EQ(Browse({"A", "B"}, OPC_LEAF), (Names{"T1", "T2"}));
  EXPECT_EQ(Browse({"A", "B"}, OPC_BRANCH), Names{});
  EXPECT_EQ(Browse({}, OPC_FLAT), (Names{"A.B.T1", "A.B.T2", "A.X"}));
  EXPECT_EQ(Browse({"A", "B"}, OPC_FLAT), (Names{"A.B.T1", "A.B.T2"}));
  EXPECT_EQ(Browse({}, static_cast<OPCBROWSETYPE>(4)), Names{});
}

TEST_F(AddressSpace, PositionsResolveByShortNameOnly) {
  for (const Position& position : {Position{"A", "X"}, Position{"Q"}, Position{"A", "B", "T3"}, Position{"a"},
                                   Position{"A", "A.X"}}) {
    for (OPCBROWSETYPE type : {OPC_BRANCH, OPC_LEAF, OPC_FLAT}) {
      EXPECT_EQ(Browse(position, type), Names{}) << position.back() << " " << type;
    }
  }
  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  EXPECT_EQ(app.ResolveBrowsePath({}), &app.RootTag());
  EXPECT_EQ(app.ResolveBrowsePath({"A", "X"}), app.FindTag("", "A.X"));
  BOOL noChildren = TRUE;
  ASSERT_NE(app.FindBranch("A.B", &noChildren), nullptr);
  EXPECT_FALSE(noChildren);
  EXPECT_EQ(app.FindBranch("A.X", &noChildren), app.FindTag("", "A.X"));
  EXPECT_TRUE(noChildren);
  noChildren = 7;
  EXPECT_EQ(app.FindBranch("A.Q", &noChildren), nullptr);
  EXPECT_EQ(noChildren, 7);
  EXPECT_EQ(app.FindBranch("", nullptr), &app.RootTag());
}

TEST_F(AddressSpace, LeafFiltersAndBranchesWithoutFilters) {
  const DWORD counter = NewTag("A.B.Count", MakeI4(1));
  {
    CVorlixApp& app = VorlixApp();
    ServerLock::Hold hold(app.GetServerLock());
    app.TagFromHandle(counter)->live->writeAccess = 0;
  }
  // Name patterns are matched against the full item name, case-sensitively.
  EXPECT_EQ(Browse({"A", "B"}, OPC_LEAF, OLESTR("*T1")), Names{"T1"});
  EXPECT_EQ(Browse({"A", "B"}, OPC_LEAF, OLESTR("T*")), Names{});
  EXPECT_EQ(Browse({"A", "B"}, OPC_LEAF, OLESTR("A.B.T#")), (Names{"T1", "T2"}));
  EXPECT_EQ(Browse({"A", "B"}, OPC_LEAF, OLESTR("*t1")), Names{});
  EXPECT_EQ(Browse({}, OPC_FLAT, OLESTR("A.[!B]*")), Names{"A.X"});

  EXPECT_EQ(Browse({"A", "B"}, OPC_LEAF, OLESTR(""), VT_I4), Names{"Count"});
  EXPECT_EQ(Browse({"A", "B"}, OPC_LEAF, OLESTR(""), VT_EMPTY), (Names{"T1", "T2", "Count"}));
  EXPECT_EQ(Browse({}, OPC_FLAT, OLESTR(""), VT_R4, OPC_WRITEABLE), (Names{"A.B.T1", "A.B.T2", "A.X"}));
  EXPECT_EQ(Browse({"A", "B"}, OPC_LEAF, OLESTR(""), VT_EMPTY, OPC_READABLE | OPC_WRITEABLE), (Names{"T1", "T2"}));
  EXPECT_EQ(Browse({"A", "B"}, OPC_LEAF, OLESTR(""), VT_EMPTY, OPC_READABLE), (Names{"T1", "T2", "Count"}));

  EXPECT_EQ(Browse({"A"}, OPC_BRANCH, OLESTR("zzz"), VT_BSTR, OPC_WRITEABLE), Names{"B"});
}

TEST_F(AddressSpace, FiltersAreCutTo79Characters) {
  const std::string name = "L" + std::string(78, 'x');
  ASSERT_NE(NewTag(name), VORLIX_INVALID_TAG);
  ASSERT_NE(NewTag(name.substr(0, 78)), VORLIX_INVALID_TAG);
  const WideString filter = WidenAnsi(name + "-not-part-of-the-filter") + WideString(1000, OLECHAR('?'));
  EXPECT_EQ(Browse({}, OPC_LEAF, filter), Names{name});
}

TEST(AddressSpaceOrganization, HierarchicalOnlyWhenATopLevelNodeHasChildren) {
  CVorlixApp& app = VorlixApp();
  EXPECT_EQ(app.QueryOrganization(), OPC_NS_FLAT);
  NewTag("T1");
  NewTag("T2");
  EXPECT_EQ(app.QueryOrganization(), OPC_NS_FLAT);
  const DWORD nested = NewTag("A.T1");
  EXPECT_EQ(app.QueryOrganization(), OPC_NS_HIERARCHIAL);
  RemoveTag(nested);
  EXPECT_EQ(app.QueryOrganization(), OPC_NS_FLAT);
}
