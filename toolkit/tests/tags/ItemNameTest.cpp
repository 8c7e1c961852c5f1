#include "tags/ItemName.h"

#include <gtest/gtest.h>

using Components = std::vector<std::string>;

TEST(ItemName, SplitKeepsInnerEmptyComponentsAndDropsATrailingOne) {
  const struct {
    const char* name;
    Components components;
  } cases[] = {
      {"a.b", {"a", "b"}}, {"a..b", {"a", "", "b"}}, {"a.b.", {"a", "b"}}, {".a", {"", "a"}},
      {"", {}},           {"abc", {"abc"}},          {".", {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitItemName(c.name, '.'), c.components) << c.name;
  EXPECT_EQ(SplitItemName("A/B.C", '/'), (Components{"A", "B.C"}));
}

TEST(ItemName, FullNameJoinsPathAndItemWithOneDelimiter) {
  for (char d : {'.', '/'}) {
    const std::string sep(1, d);
    EXPECT_EQ(MakeFullItemName("", "X", d), "X");
    EXPECT_EQ(MakeFullItemName("A" + sep, "B", d), "A" + sep + "B");
    EXPECT_EQ(MakeFullItemName("A", "B", d), "A" + sep + "B");
  }
}
