#include "tags/OPCTag.h"
#include "tags/TagHandleTable.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

std::unique_ptr<OPCTag> NewRecord() { return std::make_unique<OPCTag>(nullptr, "T"); }

}  // namespace

// Adds and removes in a shuffled order through several growths: every live
// handle keeps naming its tag, and a removed one names nothing.
TEST(TagHandleTable, LiveHandlesFindTheirTagsAndRemovedOnesNothing) {
  TagHandleTable table;
  std::map<DWORD, std::unique_ptr<OPCTag>> live;
  std::vector<DWORD> removed;
  std::mt19937 random(7);
  for (int step = 0; step < 20000; ++step) {
    if (live.empty() || random() % 3 != 0) {
      auto tag = NewRecord();
      const DWORD handle = table.Add(tag.get());
      ASSERT_EQ(tag->live->handle, handle);
      ASSERT_EQ(live.count(handle), 0u);
      live.emplace(handle, std::move(tag));
    } else {
      auto victim = std::next(live.begin(), static_cast<long>(random() % live.size()));
      table.Remove(victim->first);
      removed.push_back(victim->first);
      live.erase(victim);
    }
  }
  EXPECT_EQ(table.Count(), live.size());
  for (const auto& [handle, tag] : live) {
    ASSERT_EQ(table.Lookup(handle), tag->live.get()) << handle;
    ASSERT_EQ(table.Owner(handle), tag.get()) << handle;
  }
  for (DWORD handle : removed) {
    ASSERT_EQ(table.Lookup(handle), nullptr) << handle;
    ASSERT_EQ(table.Owner(handle), nullptr) << handle;
  }
  table.Remove(removed.front());  // twice: nothing happens
  EXPECT_EQ(table.Count(), live.size());
}

TEST(TagHandleTable, HandlesSkipZeroAndAllOnesWhenTheyWrap) {
  HandleTableBase issuer(0xFFFFFFFDu);
  TagHandleTable table(issuer);
  auto a = NewRecord();
  auto b = NewRecord();
  EXPECT_EQ(table.Add(a.get()), 0xFFFFFFFEu);
  EXPECT_EQ(table.Add(b.get()), 1u);
  EXPECT_EQ(table.Lookup(0), nullptr);
  EXPECT_EQ(table.Lookup(0xFFFFFFFFu), nullptr);
  EXPECT_EQ(table.Lookup(0xFFFFFFFEu), a->live.get());
}

// Tags made, then many other objects' handles issued (clients' items coming
// and going), then more tags: the later tags' handles are the earlier ones'
// plus about a table size, and must not pile up on their slots.
TEST(TagHandleTable, TagsMadeBetweenOtherHandlesStayNearTheirHomeSlots) {
  HandleTableBase issuer;
  TagHandleTable table(issuer);
  std::vector<std::unique_ptr<OPCTag>> tags;
  int other = 0;
  for (int wave = 0; wave < 2; ++wave) {
    for (int i = 0; i < 10000; ++i) {
      tags.push_back(NewRecord());
      table.Add(tags.back().get());
    }
    for (int i = 0; i < 22768; ++i) issuer.Remove(issuer.Add(&other));
  }
  for (const auto& tag : tags) ASSERT_EQ(table.Lookup(tag->live->handle), tag->live.get());
  EXPECT_LT(table.LongestDisplacement(), 64u);
}
