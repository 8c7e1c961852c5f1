#include "app/CVorlixApp.h"
#include "support/HostCalls.h"
#include "tags/TagHashIndex.h"

#include <gtest/gtest.h>

TEST(TagHashIndex, TableSizeIsTheSmallestPrimeFromElevenUp) {
  const struct {
    UINT request;
    UINT size;
  } cases[] = {
      {0, 0},       {5, 0},         {6, 11},        {11, 11},       {12, 13},
      {100, 101},   {120, 127},     {140, 149},     {1000, 1009},   {4096, 4099},
      {65536, 65537}, {4294967280u, 4294967291u}, {4294967292u, 0}, {0xFFFFFFFFu, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(TagHashIndex::TableSizeFor(c.request), c.size) << c.request;
}

TEST(TagHashIndex, HashIsTheUninvertedCrc32) {
  EXPECT_EQ(TagHashIndex::Hash("abc"), 0xCADBBE3Du);
  EXPECT_EQ(TagHashIndex::Hash(""), 0xFFFFFFFFu);
}

// Creation hashes a name's branch keys in one pass, each continuing the last.
TEST(TagHashIndex, AContinuedHashIsTheHashOfTheWholeKey) {
  const std::string key = "SN00000001.Type1.Name12345678";
  for (size_t split = 0; split <= key.size(); ++split) {
    const std::string_view head = std::string_view(key).substr(0, split);
    const std::string_view tail = std::string_view(key).substr(split);
    EXPECT_EQ(TagHashIndex::ContinueHash(TagHashIndex::Hash(head), tail), TagHashIndex::Hash(key)) << split;
  }
}

namespace {

const OPCTag* TopLevel(const std::string& name) {
  for (const auto& child : VorlixApp().RootTag().children) {
    if (child->name == name) return child.get();
  }
  return nullptr;
}

size_t CountChildrenNamed(const OPCTag& node, const std::string& name) {
  size_t count = 0;
  for (const auto& child : node.children) count += child->name == name ? 1 : 0;
  return count;
}

}  // namespace

TEST(TagHashIndex, SetHashingSizesTheTableOrLeavesItOff) {
  EXPECT_EQ(SetHashing(5), 0u);
  EXPECT_EQ(SetHashing(6), 11u);
  EXPECT_EQ(SetHashing(1000), 1009u);
  EXPECT_EQ(SetHashing(0xFFFFFFFFu), 0u);
}

TEST(TagHashIndex, EntersBranchesUnderDottedKeysAndLeavesUnderTheirNames) {
  for (char delimiter : {'.', '/'}) {
    SCOPED_TRACE(delimiter);
    SetVarnOPCsvrQualifier(delimiter);
    ASSERT_EQ(SetHashing(101), 101u);
    const std::string d(1, delimiter);
    const DWORD abc = NewTag("A" + d + "B" + d + "C");
    const DWORD abd = NewTag("A" + d + "B" + d + "D");
    ASSERT_NE(abd, VORLIX_INVALID_TAG);
    EXPECT_EQ(NewTag("A" + d + "B" + d + "C"), VORLIX_INVALID_TAG);

    CVorlixApp& app = VorlixApp();
    ServerLock::Hold hold(app.GetServerLock());
    ASSERT_EQ(app.RootTag().children.size(), 1u);
    const OPCTag* a = TopLevel("A");
    ASSERT_EQ(a->children.size(), 1u);
    const OPCTag* b = a->children[0].get();
    EXPECT_EQ(b->children.size(), 2u);
    EXPECT_EQ(app.HashSlot("A", "A"), a->live->hashSlot);
    EXPECT_EQ(app.HashSlot("A.B", "B"), b->live->hashSlot);
    const std::string leafName = "A" + d + "B" + d + "C";
    EXPECT_EQ(app.HashSlot(leafName, leafName), app.TagFromHandle(abc)->live->hashSlot);
    EXPECT_GE(b->live->hashSlot, 0);
    EXPECT_EQ(app.HashFindTag("", leafName), app.TagFromHandle(abc));

    EXPECT_TRUE(RemoveTag(abc));
    EXPECT_TRUE(RemoveTag(abd));
  }
}

TEST(TagHashIndex, AFullTableStillCreatesFindsAndRefusesEveryName) {
  ASSERT_EQ(SetHashing(11), 11u);
  std::vector<std::string> names;
  std::vector<DWORD> handles;
  for (int i = 0; i < 30; ++i) {
    names.push_back("P" + std::to_string(i % 3) + ".A.T" + std::to_string(i));
    handles.push_back(NewTag(names.back()));
    ASSERT_NE(handles.back(), VORLIX_INVALID_TAG) << names.back();
  }
  // Take out every third tag: the slots they leave must not cut other names' probes.
  for (size_t i = 0; i < names.size(); i += 3) ASSERT_TRUE(RemoveTag(handles[i]));
  for (size_t i = 0; i < names.size(); ++i) {
    const bool removed = i % 3 == 0;
    EXPECT_EQ(Validate("", names[i]), removed ? OPC_E_UNKNOWNITEMID : S_OK) << names[i];
    EXPECT_EQ(NewTag(names[i]) != VORLIX_INVALID_TAG, removed) << names[i];
    EXPECT_EQ(NewTag(names[i]), VORLIX_INVALID_TAG) << names[i];
  }
  for (const char* parent : {"P0", "P1", "P2"}) {
    ASSERT_NE(TopLevel(parent), nullptr);
    EXPECT_EQ(CountChildrenNamed(*TopLevel(parent), "A"), 1u) << parent;
  }
  EXPECT_EQ(VorlixApp().RootTag().children.size(), 3u);
}

TEST(TagHashIndex, RecordsAreMatchedOnTheirWholeKey) {
  ASSERT_EQ(SetHashing(11), 11u);
  const DWORD leafA = NewTag("A");
  for (int i = 0; i < 12; ++i) ASSERT_NE(NewTag("P" + std::to_string(i) + ".A.x"), VORLIX_INVALID_TAG);
  for (int i = 0; i < 12; ++i) {
    const std::string name = "P" + std::to_string(i) + ".A.x";
    EXPECT_EQ(NewTag(name), VORLIX_INVALID_TAG) << name;
    EXPECT_EQ(Validate("", name), S_OK) << name;
    EXPECT_EQ(CountChildrenNamed(*TopLevel("P" + std::to_string(i)), "A"), 1u);
  }
  EXPECT_EQ(NewTag("A"), VORLIX_INVALID_TAG);
  {
    CVorlixApp& app = VorlixApp();
    ServerLock::Hold hold(app.GetServerLock());
    EXPECT_EQ(app.HashFindTag("", "A"), app.TagFromHandle(leafA));
  }

  // Branch keys join with '.', so under '/' two paths can share a key: the
  // branch C of "A.B/C" and the branch C of "A/B/C" are both keyed "A.B.C".
  SetVarnOPCsvrQualifier('/');
  ASSERT_EQ(SetHashing(101), 101u);
  ASSERT_NE(NewTag("A.B/C/x"), VORLIX_INVALID_TAG);
  ASSERT_NE(NewTag("A/B/C/y"), VORLIX_INVALID_TAG);
  EXPECT_EQ(Validate("", "A.B/C/x"), S_OK);
  EXPECT_EQ(Validate("", "A/B/C/y"), S_OK);
}

TEST(TagHashIndex, RemovalKeepsTheWayOfNamesThatProbedPast) {
  ASSERT_EQ(SetHashing(11), 11u);
  // Three names whose probes start at the same slot: each later one passes the earlier ones.
  std::vector<std::string> names;
  const DWORD slot = TagHashIndex::Hash("N0") % 11;
  for (int i = 1; names.size() < 2; ++i) {
    const std::string name = "N" + std::to_string(i);
    if (TagHashIndex::Hash(name) % 11 == slot) names.push_back(name);
  }
  const DWORD first = NewTag("N0");
  ASSERT_NE(NewTag(names[0]), VORLIX_INVALID_TAG);
  ASSERT_TRUE(RemoveTag(first));
  EXPECT_EQ(NewTag(names[0]), VORLIX_INVALID_TAG);
  // A new name may take the slot the removed one left.
  ASSERT_NE(NewTag(names[1]), VORLIX_INVALID_TAG);
  EXPECT_EQ(VorlixApp().TagFromHandle(first), nullptr);
  ASSERT_NE(NewTag("N0"), VORLIX_INVALID_TAG);
  for (const std::string& name : {std::string("N0"), names[0], names[1]}) {
    EXPECT_EQ(NewTag(name), VORLIX_INVALID_TAG) << name;
  }
}

TEST(TagHashIndex, SwitchingOnLateOrReplacingEntersExistingTags) {
  const DWORD abc = NewTag("A.B.C");
  const DWORD x = NewTag("X");
  for (UINT size : {101u, 13u}) {
    ASSERT_EQ(SetHashing(size), size);
    EXPECT_EQ(NewTag("A.B.C"), VORLIX_INVALID_TAG);
    EXPECT_EQ(NewTag("X"), VORLIX_INVALID_TAG);
    EXPECT_EQ(NewTag("A"), VORLIX_INVALID_TAG);
  }
  const DWORD abd = NewTag("A.B.D");
  ASSERT_NE(abd, VORLIX_INVALID_TAG);
  EXPECT_EQ(CountChildrenNamed(VorlixApp().RootTag(), "A"), 1u);
  EXPECT_EQ(TopLevel("A")->children.size(), 1u);

  // Switched off again, removal must not touch the table it had.
  EXPECT_EQ(SetHashing(0), 0u);
  EXPECT_TRUE(RemoveTag(abc));
  EXPECT_TRUE(RemoveTag(abd));
  EXPECT_TRUE(RemoveTag(x));
  EXPECT_NE(NewTag("A.B.C"), VORLIX_INVALID_TAG);
}
