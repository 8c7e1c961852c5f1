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
