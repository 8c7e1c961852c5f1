#include "tags/MatchPattern.h"

#include <gtest/gtest.h>

#include <string>

TEST(MatchPattern, Table) {
  const struct {
    const char16_t* text;
    const char16_t* pattern;
    BOOL caseSensitive;
    BOOL matches;
  } cases[] = {
      {u"A.B.T1", u"A.B.T#", TRUE, TRUE},
      {u"A.B.Tx", u"A.B.T#", TRUE, FALSE},
      {u"A.B.T", u"A.B.T#", TRUE, FALSE},
      {u"A.A.x", u"A.[AB].*", TRUE, TRUE},
      {u"A.C.x", u"A.[AB].*", TRUE, FALSE},
      {u"A.C.x", u"A.[!B].*", TRUE, TRUE},
      {u"A.B.x", u"A.[!B].*", TRUE, FALSE},
      {u"", u"*", TRUE, TRUE},
      {u"", u"", TRUE, TRUE},
      {u"a", u"", TRUE, FALSE},
      {u"", u"?", TRUE, FALSE},
      {u"abc", u"a?c", TRUE, TRUE},
      {u"ab", u"a?c", TRUE, FALSE},
      {u"ab", u"ab?", TRUE, FALSE},
      {u"abc", u"*", TRUE, TRUE},
      {u"abc", u"a*", TRUE, TRUE},
      {u"abc", u"*c", TRUE, TRUE},
      {u"abc", u"*b", TRUE, FALSE},
      {u"ab", u"a*b", TRUE, TRUE},
      {u"aXbYc", u"a*b*c", TRUE, TRUE},
      {u"abcbd", u"*b?", TRUE, TRUE},
      {u"abcab", u"a*ab", TRUE, TRUE},
      {u"abc", u"a**?", TRUE, TRUE},
      {u"", u"*?", TRUE, FALSE},
      {u"b", u"[-c]", TRUE, TRUE},
      {u"d", u"[-c]", TRUE, FALSE},
      {u"b", u"[a-]", TRUE, FALSE},
      {u"a", u"[a-]", TRUE, TRUE},
      {u"d", u"[a-c-e]", TRUE, TRUE},
      {u"d", u"[!a-c]", TRUE, TRUE},
      {u"b", u"[!a-c]", TRUE, FALSE},
      {u"", u"[ab]", TRUE, FALSE},
      {u"abc", u"ABC", FALSE, TRUE},
      {u"abc", u"ABC", TRUE, FALSE},
      {u"aBc", u"A[b]?", FALSE, TRUE},
      {u"Q", u"[p-r]", FALSE, TRUE},
      {u"\u00E9", u"\u00C9", FALSE, FALSE},
      {u"\u00E9", u"[\x01-\u00FF]", TRUE, FALSE},
      {u"\u00E9", u"[\u0080-\u00FF]", TRUE, TRUE},
      {u"\u00E9", u"?", TRUE, TRUE},
      {u"\u00B2", u"#", TRUE, FALSE},
      // Whole characters, never their bytes in the code page: the second
      // byte of "乕" in GBK is '['.
      {u"温度", u"温?", TRUE, TRUE},
      {u"温度", u"温??", TRUE, FALSE},
      {u"温度", u"[温]*", TRUE, TRUE},
      {u"T乕", u"T乕", TRUE, TRUE},
      {u"T乕", u"T[乕]", TRUE, TRUE},
      {u"温", u"[\u4E00-\u9FFF]", TRUE, TRUE},
      {u"温", u"[!a-z]", TRUE, TRUE},
      {u"a", u"[ab", TRUE, FALSE},
      {u"c", u"[!ab", TRUE, FALSE},
      {u"a", u"[a-", TRUE, FALSE},
      {u"a", u"*[a", TRUE, FALSE},
      {u"a]", u"[!", TRUE, FALSE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchPattern(c.text, c.pattern, c.caseSensitive), c.matches)
        << ::testing::PrintToString(std::u16string(c.text)) << " against "
        << ::testing::PrintToString(std::u16string(c.pattern)) << " case-sensitive " << c.caseSensitive;
  }
}

TEST(MatchPattern, ManyStarsAgainstALongNameFinishAtOnce) {
  std::u16string pattern;
  for (int i = 0; i < 39; ++i) pattern += u"*a";
  pattern += u"*b";
  const std::u16string text(200, u'a');
  EXPECT_FALSE(MatchPattern(text.c_str(), pattern.c_str(), TRUE));
  EXPECT_FALSE(MatchPattern(text.c_str(), pattern.c_str(), FALSE));
  EXPECT_TRUE(MatchPattern((text + u"b").c_str(), pattern.c_str(), TRUE));
}
