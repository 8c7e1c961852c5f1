#include "platform/widetext.h"

#include <gtest/gtest.h>

TEST(WideText, EveryByteRoundTrips) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  WideString wide = WidenLatin1(all);
  ASSERT_EQ(wide.size(), all.size());
  EXPECT_EQ(wide[0xE9 - 1], u'\u00E9');
  EXPECT_EQ(NarrowLatin1(wide), all);
}

TEST(WideText, UnitsAboveLatin1NarrowToQuestionMark) {
  EXPECT_EQ(NarrowLatin1(u"A\u4E2D\u00FFB"), "A?\xFF" "B");
  EXPECT_EQ(NarrowLatin1(static_cast<const WCHAR*>(nullptr)), "");
  EXPECT_EQ(WideLength(nullptr), 0u);
  EXPECT_EQ(WideLength(u"abc"), 3u);
}
