#include "platform/bstr.h"
#include "support/TestVariants.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Bstr, NullIsAnEmptyStringForTheLengthFunctions) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);

  BSTR empty = SysAllocString(u"");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  EXPECT_EQ(empty[0], 0);
  SysFreeString(empty);
}

TEST(Bstr, LengthsComeFromThePrefixSoEmbeddedZerosCount) {
  BSTR b = SysAllocStringLen(u"a\0b", 3);
  EXPECT_EQ(SysStringLen(b), 3u);
  EXPECT_EQ(SysStringByteLen(b), 6u);
  EXPECT_EQ(TextOf(b), std::u16string(u"a\0b", 3));
  EXPECT_EQ(b[3], 0) << "terminator after the counted units";
  uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<char*>(b) - 4, 4);
  EXPECT_EQ(prefix, 6u) << "byte length in the four bytes before the text";
  SysFreeString(b);
}

TEST(Bstr, AllocStringLenCopiesAPrefixOrZeroes) {
  BSTR ab = SysAllocStringLen(u"abc", 2);
  EXPECT_EQ(TextOf(ab), u"ab");
  EXPECT_EQ(SysStringByteLen(ab), 4u);
  EXPECT_EQ(ab[2], 0);
  SysFreeString(ab);

  BSTR zeros = SysAllocStringLen(nullptr, 3);
  ASSERT_NE(zeros, nullptr);
  EXPECT_EQ(TextOf(zeros), std::u16string(3, u'\0'));
  EXPECT_EQ(zeros[3], 0);
  SysFreeString(zeros);
}

TEST(Bstr, ByteLengthMayBeOddAndIsFollowedByZeros) {
  BSTR b = SysAllocStringByteLen("abc", 3);
  EXPECT_EQ(SysStringLen(b), 1u);
  EXPECT_EQ(SysStringByteLen(b), 3u);
  const unsigned char expected[5] = {0x61, 0x62, 0x63, 0, 0};
  EXPECT_EQ(std::memcmp(b, expected, 5), 0);
  SysFreeString(b);
}

TEST(Bstr, ReAllocReplacesTheStringEvenFromItsOwnText) {
  BSTR b = SysAllocString(u"abc");
  EXPECT_EQ(SysReAllocString(&b, u"defgh"), TRUE);
  EXPECT_EQ(TextOf(b), u"defgh");
  EXPECT_EQ(SysReAllocStringLen(&b, u"xyz", 2), TRUE);
  EXPECT_EQ(TextOf(b), u"xy");
  // The source may lie inside the string being replaced.
  EXPECT_EQ(SysReAllocString(&b, b + 1), TRUE);
  EXPECT_EQ(TextOf(b), u"y");
  SysFreeString(b);

  BSTR none = nullptr;
  EXPECT_EQ(SysReAllocString(&none, u"new"), TRUE);
  EXPECT_EQ(TextOf(none), u"new");
  SysFreeString(none);
}

TEST(Bstr, LengthsBeyondTheFourBytePrefixAreRefused) {
  EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFFu), nullptr);
  EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
}
