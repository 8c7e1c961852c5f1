#include "platform/widetext.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

// These run under the default ANSI code page, 936 (GBK).

TEST(WideText, AsciiAndGbkNamesRoundTripAsTheSameBytes) {
  std::string ascii;
  for (int c = 1; c < 0x80; ++c) ascii.push_back(static_cast<char>(c));
  const struct {
    std::string bytes;
    std::u16string wide;
  } cases[] = {
      {ascii, std::u16string(ascii.begin(), ascii.end())},
      {"SN.\xCE\xC2\xB6\xC8", u"SN.温度"},
      {"\xD6\xD0\xCE\xC4.Temp", u"中文.Temp"},
      {"Temp\xA6\xB8", u"TempΩ"},
      {"\x80", u"€"},
      {"", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WidenAnsi(c.bytes), c.wide) << c.bytes;
    EXPECT_EQ(WidenAnsi(c.bytes.c_str()), c.wide) << c.bytes;
    EXPECT_EQ(NarrowAnsi(c.wide), c.bytes) << c.bytes;
    EXPECT_EQ(NarrowAnsi(c.wide.c_str()), c.bytes) << c.bytes;
  }
}

// Never a '?' or another stand-in: such a name would match another one.
TEST(WideText, TextTheCodePageCannotHoldDoesNotNarrow) {
  for (const char16_t* text : {u"Tempÿ", u"A\u0E01", u"\U0001F600", u"A\xD800" u"B", u"\xDC00", u"?\uFFFD"}) {
    EXPECT_EQ(NarrowAnsi(text), std::nullopt);
    EXPECT_EQ(NarrowAnsi(std::u16string(text)), std::nullopt);
  }
}

// 0xE9 alone is the first byte of a GBK pair, not a character of its own.
TEST(WideText, EachByteThatStartsNoCharacterWidensToAReplacementCharacter) {
  const struct {
    std::string bytes;
    std::u16string wide;
  } cases[] = {
      {"A\xE9", u"A\uFFFD"},
      {"\xFF\xFF", u"\uFFFD\uFFFD"},
      {"\xD6 x", u"\uFFFD x"},
      {"\xCE\xC2\xB6", u"温\uFFFD"},
      {"\xFF\xCE\xC2", u"\uFFFD温"},
  };
  for (const auto& c : cases) EXPECT_EQ(WidenAnsi(c.bytes), c.wide) << c.bytes;
}

TEST(WideText, NullTextsAreEmpty) {
  EXPECT_EQ(WidenAnsi(static_cast<const char*>(nullptr)), u"");
  EXPECT_EQ(NarrowAnsi(static_cast<const WCHAR*>(nullptr)), "");
  EXPECT_EQ(WideLength(nullptr), 0u);
  EXPECT_EQ(WideLength(u"温度"), 2u);
}

// Each thread converts through its own conversion state.
TEST(WideText, ThreadsConvertAtTheSameTime) {
  std::vector<std::thread> threads;
  std::vector<int> wrong(8, 0);
  for (size_t t = 0; t < wrong.size(); ++t) {
    threads.emplace_back([&wrong, t] {
      for (int i = 0; i < 2000; ++i) {
        const std::string bytes = "SN" + std::to_string(i) + ".\xCE\xC2\xB6\xC8\xFF";
        const std::u16string wide = WidenAnsi(bytes);
        if (wide.back() != u'\uFFFD' || NarrowAnsi(wide.substr(0, wide.size() - 1)) != bytes.substr(0, bytes.size() - 1))
          ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int count : wrong) EXPECT_EQ(count, 0);
}
