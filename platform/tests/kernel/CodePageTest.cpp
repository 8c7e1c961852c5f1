#include "platform/codepage.h"

#include "platform/hresult.h"
#include "platform/lasterror.h"
#include "platform/widetext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

std::u16string Widen(UINT codePage, const std::string& bytes, DWORD flags = 0) {
  const int size = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string wide(static_cast<size_t>(size), u'\0');
  if (size > 0) {
    EXPECT_EQ(MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), &wide[0], size), size);
  }
  return wide;
}

std::string Narrow(UINT codePage, const std::u16string& wide) {
  const int size = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  if (size > 0) {
    EXPECT_EQ(
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0], size, nullptr, nullptr),
        size);
  }
  return bytes;
}

}  // namespace

TEST(CodePage, NamedCodePagesConvertBothWays) {
  const struct {
    UINT codePage;
    std::string bytes;
    std::u16string wide;
  } cases[] = {
      {CP_ACP, "SN.\xCE\xC2\xB6\xC8", u"SN.温度"},
      {936, "\x80\xD6\xD0", u"€中"},
      {1252, "Caf\xE9 \x80", u"Café €"},
      {CP_UTF8, "Caf\xC3\xA9 \xE6\xB8\xA9\xF0\x9F\x98\x80", u"Café 温\U0001F600"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Widen(c.codePage, c.bytes), c.wide) << c.codePage;
    EXPECT_EQ(Narrow(c.codePage, c.wide), c.bytes) << c.codePage;
  }
}

TEST(CodePage, ATerminatedTextCountsItsTerminator) {
  WCHAR wide[8] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xCE\xC2x", -1, wide, 8), 3);
  EXPECT_EQ(std::u16string(wide), u"温x");
  char narrow[8] = {};
  BOOL usedDefault = TRUE;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"温x", -1, narrow, 8, nullptr, &usedDefault), 4);
  EXPECT_STREQ(narrow, "\xCE\xC2x");
  EXPECT_EQ(usedDefault, FALSE);
}

TEST(CodePage, FailuresAnswerZeroWithTheReason) {
  WCHAR wide[4] = {};
  char narrow[4] = {};
  BOOL usedDefault = TRUE;
  const struct {
    const char* what;
    std::function<int()> call;
    DWORD error;
  } cases[] = {
      {"null text", [&] { return MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 4); }, ERROR_INVALID_PARAMETER},
      {"empty size", [&] { return MultiByteToWideChar(CP_ACP, 0, "x", 0, wide, 4); }, ERROR_INVALID_PARAMETER},
      {"no buffer", [&] { return MultiByteToWideChar(CP_ACP, 0, "x", 1, nullptr, 4); }, ERROR_INVALID_PARAMETER},
      {"unknown code page", [&] { return MultiByteToWideChar(12345, 0, "x", 1, wide, 4); }, ERROR_INVALID_PARAMETER},
      {"unknown flag", [&] { return MultiByteToWideChar(CP_ACP, 0x100, "x", 1, wide, 4); }, ERROR_INVALID_FLAGS},
      {"short buffer", [&] { return MultiByteToWideChar(CP_ACP, 0, "abcde", 5, wide, 4); }, ERROR_INSUFFICIENT_BUFFER},
      {"invalid byte, strict", [&] { return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "a\xFF", 2, wide, 4); },
       ERROR_NO_UNICODE_TRANSLATION},
      {"narrow null text", [&] { return WideCharToMultiByte(CP_ACP, 0, nullptr, -1, narrow, 4, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"narrow short buffer", [&] { return WideCharToMultiByte(CP_ACP, 0, u"温度", 2, narrow, 3, nullptr, nullptr); },
       ERROR_INSUFFICIENT_BUFFER},
      {"not in 936", [&] { return WideCharToMultiByte(CP_ACP, 0, u"A\u0E01", 2, narrow, 4, "?", &usedDefault); },
       ERROR_NO_UNICODE_TRANSLATION},
      {"unpaired surrogate", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"\xD800", 1, narrow, 4, nullptr, nullptr); },
       ERROR_NO_UNICODE_TRANSLATION},
      {"not in 1252", [&] { return WideCharToMultiByte(1252, 0, u"温", 1, narrow, 4, nullptr, nullptr); },
       ERROR_NO_UNICODE_TRANSLATION},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(c.call(), 0) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  EXPECT_EQ(usedDefault, FALSE);
  EXPECT_EQ(std::string(narrow, 4), std::string(4, '\0')) << "nothing written on failure";
  // Without the strict flag a bad byte is a replacement character.
  EXPECT_EQ(Widen(CP_ACP, "a\xFF"), u"a\uFFFD");
}

// The setting is read once per process, so each case runs in a process of its
// own: the test program started again for this test alone.
TEST(CodePage, TheEnvironmentNamesTheAnsiCodePage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const struct {
    const char* setting;
    UINT codePage;
    std::string bytes;
    std::u16string wide;
  } cases[] = {
      {nullptr, 936, "\xCE\xC2\xB6\xC8", u"温度"},
      {"1252", 1252, "Caf\xE9", u"Café"},
      {"65001", 65001, "\xE6\xB8\xA9\xCE\xA9", u"温Ω"},
      {"936", 936, "\xA6\xB8", u"Ω"},
      {"12345", 936, "\xA6\xB8", u"Ω"},
      {"0", 936, "\xA6\xB8", u"Ω"},
      {"cp1252", 936, "\xA6\xB8", u"Ω"},
  };
  for (const auto& c : cases) {
    if (c.setting != nullptr)
      setenv("ZELVO_ANSI_CODEPAGE", c.setting, 1);
    else
      unsetenv("ZELVO_ANSI_CODEPAGE");
    EXPECT_EXIT(
        {
          const bool right = GetACP() == c.codePage && WidenAnsi(c.bytes) == c.wide && NarrowAnsi(c.wide) == c.bytes;
          std::fprintf(stderr, "code page %u\n", GetACP());
          std::exit(right ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << (c.setting != nullptr ? c.setting : "unset");
  }
  unsetenv("ZELVO_ANSI_CODEPAGE");
}
