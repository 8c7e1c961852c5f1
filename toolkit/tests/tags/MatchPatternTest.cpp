#include "tags/MatchPattern.h"

#include <gtest/gtest.h>

#include "platform/widetext.h"

#include <string>

TEST(MatchPattern, Table) {
  const struct {
    const WCHAR* text;
    const WCHAR* pattern;
    BOOL caseSensitive;
    BOOL matches;
  } cases[] = {
      {OLESTR("A.B.T1"), OLESTR("A.B.T#"), TRUE, TRUE},
      {OLESTR("A.B.Tx"), OLESTR("A.B.T#"), TRUE, FALSE},
      {OLESTR("A.B.T"), OLESTR("A.B.T#"), TRUE, FALSE},
      {OLESTR("A.A.x"), OLESTR("A.[AB].*"), TRUE, TRUE},
      {OLESTR("A.C.x"), OLESTR("A.[AB].*"), TRUE, FALSE},
      {OLESTR("A.C.x"), OLESTR("A.[!B].*"), TRUE, TRUE},
      {OLESTR("A.B.x"), OLESTR("A.[!B].*"), TRUE, FALSE},
      {OLESTR(""), OLESTR("*"), TRUE, TRUE},
      {OLESTR(""), OLESTR(""), TRUE, TRUE},
      {OLESTR("a"), OLESTR(""), TRUE, FALSE},
      {OLESTR(""), OLESTR("?"), TRUE, FALSE},
      {OLESTR("abc"), OLESTR("a?c"), TRUE, TRUE},
      {OLESTR("ab"), OLESTR("a?c"), TRUE, FALSE},
      {OLESTR("ab"), OLESTR("ab?"), TRUE, FALSE},
      {OLESTR("abc"), OLESTR("*"), TRUE, TRUE},
      {OLESTR("abc"), OLESTR("a*"), TRUE, TRUE},
      {OLESTR("abc"), OLESTR("*c"), TRUE, TRUE},
      {OLESTR("abc"), OLESTR("*b"), TRUE, FALSE},
      {OLESTR("ab"), OLESTR("a*b"), TRUE, TRUE},
      {OLESTR("aXbYc"), OLESTR("a*b*c"), TRUE, TRUE},
      {OLESTR("abcbd"), OLESTR("*b?"), TRUE, TRUE},
      {OLESTR("abcab"), OLESTR("a*ab"), TRUE, TRUE},
      {OLESTR("abc"), OLESTR("a**?"), TRUE, TRUE},
      {OLESTR(""), OLESTR("*?"), TRUE, FALSE},
      {OLESTR("b"), OLESTR("[-c]"), TRUE, TRUE},
      {OLESTR("d"), OLESTR("[-c]"), TRUE, FALSE},
      {OLESTR("b"), OLESTR("[a-]"), TRUE, FALSE},
      {OLESTR("a"), OLESTR("[a-]"), TRUE, TRUE},
      {OLESTR("d"), OLESTR("[a-c-e]"), TRUE, TRUE},
      {OLESTR("d"), OLESTR("[!a-c]"), TRUE, TRUE},
      {OLESTR("b"), OLESTR("[!a-c]"), TRUE, FALSE},
      {OLESTR(""), OLESTR("[ab]"), TRUE, FALSE},
      {OLESTR("abc"), OLESTR("ABC"), FALSE, TRUE},
      {OLESTR("abc"), OLESTR("ABC"), TRUE, FALSE},
      {OLESTR("aBc"), OLESTR("A[b]?"), FALSE, TRUE},
      {OLESTR("Q"), OLESTR("[p-r]"), FALSE, TRUE},
      {OLESTR("\u00E9"), OLESTR("\u00C9"), FALSE, FALSE},
      {OLESTR("\u00E9"), OLESTR("[\x01-\u00FF]"), TRUE, FALSE},
      {OLESTR("\u00E9"), OLESTR("[\u0080-\u00FF]"), TRUE, TRUE},
      {OLESTR("\u00E9"), OLESTR("?"), TRUE, TRUE},
      {OLESTR("\u00B2"), OLESTR("#"), TRUE, FALSE},
      // Whole characters, never their bytes in the code page: the second
      // byte of "乕" in GBK is '['.
      {OLESTR("温度"), OLESTR("温?"), TRUE, TRUE},
      {OLESTR("温度"), OLESTR("温??"), TRUE, FALSE},
      {OLESTR("温度"), OLESTR("[温]*"), TRUE, TRUE},
      {OLESTR("T乕"), OLESTR("T乕"), TRUE, TRUE},
      {OLESTR("T乕"), OLESTR("T[乕]"), TRUE, TRUE},
      {OLESTR("温"), OLESTR("[\u4E00-\u9FFF]"), TRUE, TRUE},
      {OLESTR("温"), OLESTR("[!a-z]"), TRUE, TRUE},
      {OLESTR("a"), OLESTR("[ab"), TRUE, FALSE},
      {OLESTR("c"), OLESTR("[!ab"), TRUE, FALSE},
      {OLESTR("a"), OLESTR("[a-"), TRUE, FALSE},
      {OLESTR("a"), OLESTR("*[a"), TRUE, FALSE},
      {OLESTR("a]"), OLESTR("[!"), TRUE, FALSE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchPattern(c.text, c.pattern, c.caseSensitive), c.matches)
        << ::testing::PrintToString(WideString(c.text)) << " against "
        << ::testing::PrintToString(WideString(c.pattern)) << " case-sensitive " << c.caseSensitive;
  }
}

TEST(MatchPattern, ManyStarsAgainstALongNameFinishAtOnce) {
  WideString pattern;
  for (int i = 0; i < 39; ++i) pattern += OLESTR("*a");
  pattern += OLESTR("*b");
  const WideString text(200, OLECHAR('a'));
  EXPECT_FALSE(MatchPattern(text.c_str(), pattern.c_str(), TRUE));
  EXPECT_FALSE(MatchPattern(text.c_str(), pattern.c_str(), FALSE));
  EXPECT_TRUE(MatchPattern((text + OLESTR("b")).c_str(), pattern.c_str(), TRUE));
}
