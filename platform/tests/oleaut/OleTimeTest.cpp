#include "platform/lasterror.h"
#include "platform/oletime.h"

#include "support/ReferenceTable.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <map>

namespace {

// Rows of time_conversions.tsv where VariantTimeToSystemTime answers differently on purpose.
const std::map<std::string, CallOutcome> kDeliberateDifferences = {
    // Rounding up to midnight moves the day of the week along with the day
    // (the table keeps the old one).
    {"VariantTimeToSystemTime 1.9999953703703703", {"1", "-", "1900-01-01 00:00:00.000 dow=1"}},
    {"VariantTimeToSystemTime 1.9999999999", {"1", "-", "1900-01-01 00:00:00.000 dow=1"}},
    // Rounding past 9999-12-31 23:59:59 leaves the valid range, and NaN is no
    // date (the table answers 10000-01-01 and 1899-12-30).
    {"VariantTimeToSystemTime 2958465.9999999991", {"0", "0", "-"}},
    {"VariantTimeToSystemTime nan", {"0", "0", "-"}},
};

// A DATE as the table prints it.
std::string FormatDate(DATE date) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", date);
  return text;
}

DATE ParseDate(const std::string& text) {
  DATE date = 0;
  EXPECT_EQ(std::from_chars(text.data(), text.data() + text.size(), date).ec, std::errc()) << text;
  return date;
}

CallOutcome RunOleConversion(const std::string& function, const std::string& input) {
  SetLastError(0);
  const CallOutcome failure = {"0", std::to_string(GetLastError()), "-"};
  if (function == "SystemTimeToVariantTime") {
    SYSTEMTIME time = ParseSystemTime(input);
    if (input.find("wDayOfWeek=3") != std::string::npos) time.wDayOfWeek = 3;  // to be ignored
    DATE date;
    if (!SystemTimeToVariantTime(&time, &date)) return failure;
    return {"1", "-", FormatDate(date)};
  }
  SYSTEMTIME time;
  if (!VariantTimeToSystemTime(ParseDate(input), &time)) return failure;
  return {"1", "-", FormatSystemTime(time)};
}

}  // namespace

TEST(OleTimeReference, AnswersEveryOleDateRowOfTheTimeTable) {
  int checked = 0;
  for (const ReferenceRow& row : ReadReferenceTable("time_conversions.tsv")) {
    const std::string& function = row.at("function");
    if (function != "SystemTimeToVariantTime" && function != "VariantTimeToSystemTime") continue;
    const std::string key = function + " " + row.at("input");
    const std::string& output = row.at("output");
    CallOutcome expected = {row.at("ret"), row.at("last_error"), output.substr(0, output.find(" ("))};
    const auto difference = kDeliberateDifferences.find(key);
    if (difference != kDeliberateDifferences.end()) expected = difference->second;
    EXPECT_EQ(RunOleConversion(function, row.at("input")), expected) << row.at("group") << ": " << key;
    ++checked;
  }
  EXPECT_EQ(checked, 70);
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
    EXPECT_EQ(FormatSystemTime(st), FormatSystemTime(again)) << day;
  }
}

TEST(OleTime, NegativeDatesCountTheTimeOfDayForward) {
  SYSTEMTIME st;
  ASSERT_TRUE(VariantTimeToSystemTime(-1.25, &st));
  EXPECT_EQ(FormatSystemTime(st), "1899-12-29 06:00:00.000 dow=5");
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
