#include "ReferenceTable.h"
#include "platform/oletime.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

// "2024-02-29 23:59:59.999", optionally followed by more words.
SYSTEMTIME ParseSystemTime(const std::string& text) {
  unsigned year, month, day, hour, minute, second, milliseconds;
  if (std::sscanf(text.c_str(), "%u-%u-%u %u:%u:%u.%u", &year, &month, &day, &hour, &minute, &second, &milliseconds) !=
      7) {
    throw std::invalid_argument("not a SYSTEMTIME: " + text);
  }
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  st.wMilliseconds = static_cast<WORD>(milliseconds);
  if (text.find("wDayOfWeek=3") != std::string::npos) st.wDayOfWeek = 3;
  return st;
}

std::string Format(const SYSTEMTIME& st) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u dow=%u", st.wYear, st.wMonth, st.wDay, st.wHour,
                st.wMinute, st.wSecond, st.wMilliseconds, st.wDayOfWeek);
  return text;
}

// The first word of text as a double ("nan" and "-0" included).
double ParseDate(const std::string& text) {
  double value = 0;
  const std::string word = text.substr(0, text.find(' '));
  if (std::from_chars(word.data(), word.data() + word.size(), value).ec != std::errc()) {
    throw std::invalid_argument("not a DATE: " + text);
  }
  return value;
}

// Rows where VariantTimeToSystemTime answers differently on purpose.
struct Deviation {
  const char* input;
  const char* ret;
  const char* output;
};

const Deviation kDeviations[] = {
    // Rounding up to midnight moves the day of the week along with the day
    // (the reference keeps the old one).
    {"1.9999953703703703", "1", "1900-01-01 00:00:00.000 dow=1"},
    {"1.9999999999", "1", "1900-01-01 00:00:00.000 dow=1"},
    // Rounding past 9999-12-31 23:59:59 leaves the valid range, and NaN is no
    // date (the reference answers 10000-01-01 and 1899-12-30).
    {"2958465.9999999991", "0", "-"},
    {"nan", "0", "-"},
};

}  // namespace

TEST(OleTimeReference, AnswersEveryOleDateRowOfTheTimeTable) {
  ReferenceTable table("time_conversions.tsv");
  size_t checked = 0;
  size_t deviationsUsed = 0;
  for (size_t row = 0; row < table.size(); ++row) {
    const std::string& function = table.At(row, "function");
    const std::string& input = table.At(row, "input");
    std::string ret = table.At(row, "ret");
    std::string output = table.At(row, "output");
    SCOPED_TRACE(function + "(" + input + ")");
    if (function == "SystemTimeToVariantTime") {
      SYSTEMTIME st = ParseSystemTime(input);
      DATE date = -12345;
      EXPECT_EQ(SystemTimeToVariantTime(&st, &date), std::stoi(ret));
      if (ret == "1") {
        EXPECT_EQ(date, ParseDate(output)) << std::hexfloat << date;
      }
    } else if (function == "VariantTimeToSystemTime") {
      for (const Deviation& deviation : kDeviations) {
        if (input == deviation.input) {
          ret = deviation.ret;
          output = deviation.output;
          ++deviationsUsed;
        }
      }
      SYSTEMTIME st = {};
      EXPECT_EQ(VariantTimeToSystemTime(ParseDate(input), &st), std::stoi(ret));
      if (ret == "1") {
        EXPECT_EQ(Format(st), output);
      }
    } else {
      continue;  // the FILETIME functions are tested with the kernel time functions
    }
    ++checked;
  }
  EXPECT_EQ(checked, 70u);
  EXPECT_EQ(deviationsUsed, std::size(kDeviations));
}

TEST(OleTime, EveryValidDayRoundTrips) {
  // One day in 97 across the whole range, at a time of day that moves with it.
  for (int day = -657434; day <= 2958465; day += 97) {
    const double fraction = (day % 86400 + 86400) % 86400 / 86400.0;
    const DATE date = day >= 0 ? day + fraction : day - fraction;
    SYSTEMTIME st;
    ASSERT_TRUE(VariantTimeToSystemTime(date, &st)) << day;
    DATE back = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &back)) << day;
    SYSTEMTIME again;
    ASSERT_TRUE(VariantTimeToSystemTime(back, &again));
    EXPECT_EQ(Format(st), Format(again)) << day;
  }
}

TEST(OleTime, NegativeDatesCountTheTimeOfDayForward) {
  SYSTEMTIME st;
  ASSERT_TRUE(VariantTimeToSystemTime(-1.25, &st));
  EXPECT_EQ(Format(st), "1899-12-29 06:00:00.000 dow=5");
  SYSTEMTIME sixAm = {1899, 12, 0, 29, 6, 0, 0, 0};
  DATE date = 0;
  ASSERT_TRUE(SystemTimeToVariantTime(&sixAm, &date));
  EXPECT_EQ(date, -1.25);
}

TEST(OleTime, RejectsNullArgumentsAndTimesRollingOutOfRange) {
  SYSTEMTIME lastSecond = {9999, 12, 0, 31, 23, 59, 59, 0};
  EXPECT_FALSE(SystemTimeToVariantTime(&lastSecond, nullptr));
  EXPECT_FALSE(VariantTimeToSystemTime(0, nullptr));
  DATE date = 0;
  EXPECT_TRUE(SystemTimeToVariantTime(&lastSecond, &date));
  SYSTEMTIME midnightAfter = {9999, 12, 0, 31, 24, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToVariantTime(&midnightAfter, &date));
}
