#include "MatchPattern.h"

#include <gtest/gtest.h>

#include <string>

TEST(MatchPattern, Table) {
  const struct {
    const char* text;
    const char* pattern;
    BOOL caseSensitive;
    BOOL matches;
  } cases[] = {
      {"A.B.T1", "A.B.T#", TRUE, TRUE},
      {"A.B.Tx", "A.B.T#", TRUE, FALSE},
      {"A.B.T", "A.B.T#", TRUE, FALSE},
      {"A.A.x", "A.[AB].*", TRUE, TRUE},
      {"A.C.x", "A.[AB].*", TRUE, FALSE},
      {"A.C.x", "A.[!B].*", TRUE, TRUE},
      {"A.B.x", "A.[!B].*", TRUE, FALSE},
      {"", "*", TRUE, TRUE},
      {"", "", TRUE, TRUE},
      {"a", "", TRUE, FALSE},
      {"", "?", TRUE, FALSE},
      {"abc", "a?c", TRUE, TRUE},
      {"ab", "a?c", TRUE, FALSE},
      {"ab", "ab?", TRUE, FALSE},
      {"abc", "*", TRUE, TRUE},
      {"abc", "a*", TRUE, TRUE},
      {"abc", "*c", TRUE, TRUE},
      {"abc", "*b", TRUE, FALSE},
      {"ab", "a*b", TRUE, TRUE},
      {"aXbYc", "a*b*c", TRUE, TRUE},
      {"abcbd", "*b?", TRUE, TRUE},
      {"abcab", "a*ab", TRUE, TRUE},
      {"abc", "a**?", TRUE, TRUE},
      {"", "*?", TRUE, FALSE},
      {"b", "[-c]", TRUE, TRUE},
      {"d", "[-c]", TRUE, FALSE},
      {"b", "[a-]", TRUE, FALSE},
      {"a", "[a-]", TRUE, TRUE},
      {"d", "[a-c-e]", TRUE, TRUE},
      {"d", "[!a-c]", TRUE, TRUE},
      {"b", "[!a-c]", TRUE, FALSE},
      {"", "[ab]", TRUE, FALSE},
      {"abc", "ABC", FALSE, TRUE},
      {"abc", "ABC", TRUE, FALSE},
      {"aBc", "A[b]?", FALSE, TRUE},
      {"Q", "[p-r]", FALSE, TRUE},
      {"\xE9", "\xC9", FALSE, FALSE},
      {"\xE9", "[\x01-\xFF]", TRUE, FALSE},
      {"\xE9", "[\x80-\xFF]", TRUE, TRUE},
      {"\xE9", "?", TRUE, TRUE},
      {"\xB2", "#", TRUE, FALSE},
      {"a", "[ab", TRUE, FALSE},
      {"c", "[!ab", TRUE, FALSE},
      {"a", "[a-", TRUE, FALSE},
      {"a", "*[a", TRUE, FALSE},
      {"a]", "[!", TRUE, FALSE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchPattern(c.text, c.pattern, c.caseSensitive), c.matches)
        << '"' << c.text << "\" against \"" << c.pattern << "\" case-sensitive " << c.caseSensitive;
  }
}

TEST(MatchPattern, ManyStarsAgainstALongNameFinishAtOnce) {
  std::string pattern;
  for (int i = 0; i < 39; ++i) pattern += "*a";
  pattern += "*b";
  const std::string text(200, 'a');
  EXPECT_FALSE(MatchPattern(text.c_str(), pattern.c_str(), TRUE));
  EXPECT_FALSE(MatchPattern(text.c_str(), pattern.c_str(), FALSE));
  EXPECT_TRUE(MatchPattern((text + "b").c_str(), pattern.c_str(), TRUE));
}
