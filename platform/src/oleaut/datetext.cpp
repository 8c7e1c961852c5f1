#include "oleaut/datetext.h"

#include "oleaut/numbertext.h"
#include "platform/hresult.h"
#include "platform/oletime.h"

#include <cstdio>
#include <ctime>

namespace oletext {

namespace {

enum class Parsed { None, Ok, Bad };

struct Cursor {
  const OLECHAR* at;
  const OLECHAR* end;
  bool AtEnd() const { return at == end; }
  bool Sees(OLECHAR c) const { return at != end && *at == c; }
};

void SkipBlanks(Cursor& cursor) {
  while (!cursor.AtEnd() && IsBlank(*cursor.at)) ++cursor.at;
}

// One to maxDigits decimal digits, and no more.
bool ReadNumber(Cursor& cursor, int maxDigits, int* value, int* digitCount) {
  int count = 0;
  int result = 0;
  while (!cursor.AtEnd() && *cursor.at >= u'0' && *cursor.at <= u'9') {
    if (++count > maxDigits) return false;
    result = result * 10 + (*cursor.at++ - u'0');
  }
  *value = result;
  *digitCount = count;
  return count > 0;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int CurrentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

int ExpandYear(int year, int digitCount) {
  if (digitCount > 2) return year;
  return year < 30 ? 2000 + year : 1900 + year;
}

Parsed ParseDate(Cursor& cursor, SYSTEMTIME* st) {
  const Cursor start = cursor;
  int first, firstDigits;
  if (!ReadNumber(cursor, 4, &first, &firstDigits) || !(cursor.Sees(u'/') || cursor.Sees(u'-'))) {
    cursor = start;
    return Parsed::None;
  }
  const OLECHAR separator = *cursor.at++;
  int second, secondDigits;
  if (!ReadNumber(cursor, 2, &second, &secondDigits)) return Parsed::Bad;
  int third = 0;
  int thirdDigits = 0;
  const bool hasThird = cursor.Sees(separator);
  if (hasThird) {
    ++cursor.at;
    if (!ReadNumber(cursor, 4, &third, &thirdDigits)) return Parsed::Bad;
  }
  int year, month, day;
  if (firstDigits > 2) {
    if (!hasThird || thirdDigits > 2) return Parsed::Bad;
    year = first;
    month = second;
    day = third;
  } else {
    month = first;
    day = second;
    year = hasThird ? ExpandYear(third, thirdDigits) : CurrentYear();
  }
  if (year < 100 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return Parsed::Bad;
  st->wYear = static_cast<WORD>(year);
  st->wMonth = static_cast<WORD>(month);
  st->wDay = static_cast<WORD>(day);
  return Parsed::Ok;
}

// "AM" or "PM" in any case; 0 when neither follows.
char ReadDesignator(Cursor& cursor) {
  if (cursor.end - cursor.at < 2 || (cursor.at[1] != u'M' && cursor.at[1] != u'm')) return 0;
  const OLECHAR letter = cursor.at[0];
  const char designator = (letter == u'A' || letter == u'a') ? 'A' : (letter == u'P' || letter == u'p') ? 'P' : 0;
  if (designator != 0) cursor.at += 2;
  return designator;
}

Parsed ParseTime(Cursor& cursor, SYSTEMTIME* st) {
  int hour, minute = 0, second = 0, digits;
  if (!ReadNumber(cursor, 2, &hour, &digits)) return Parsed::None;
  bool hasMinutes = false;
  if (cursor.Sees(u':')) {
    ++cursor.at;
    if (!ReadNumber(cursor, 2, &minute, &digits)) return Parsed::Bad;
    hasMinutes = true;
    if (cursor.Sees(u':')) {
      ++cursor.at;
      if (!ReadNumber(cursor, 2, &second, &digits)) return Parsed::Bad;
    }
  }
  const Cursor beforeBlanks = cursor;
  SkipBlanks(cursor);
  const char designator = ReadDesignator(cursor);
  if (designator == 0) cursor = beforeBlanks;
  // A lone number is no time.
  if (!hasMinutes && designator == 0) return Parsed::None;
  if (designator != 0) {
    if (hour < 1 || hour > 12) return Parsed::Bad;
    hour = hour % 12 + (designator == 'P' ? 12 : 0);
  }
  if (hour > 23 || minute > 59 || second > 59) return Parsed::Bad;
  st->wHour = static_cast<WORD>(hour);
  st->wMinute = static_cast<WORD>(minute);
  st->wSecond = static_cast<WORD>(second);
  return Parsed::Ok;
}

}  // namespace

size_t FormatDateText(DATE date, char* buffer) {
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(date, &st)) return 0;
  const bool onDayZero = st.wYear == 1899 && st.wMonth == 12 && st.wDay == 30;
  const bool atMidnight = st.wHour == 0 && st.wMinute == 0 && st.wSecond == 0;
  int length = 0;
  if (!onDayZero) length = std::snprintf(buffer, kDateTextCapacity, "%u/%u/%04u", st.wMonth, st.wDay, st.wYear);
  if (onDayZero || !atMidnight) {
    const unsigned hour12 = st.wHour % 12 == 0 ? 12 : st.wHour % 12;
    length += std::snprintf(buffer + length, kDateTextCapacity - length, "%s%u:%02u:%02u %s", length > 0 ? " " : "",
                            hour12, st.wMinute, st.wSecond, st.wHour < 12 ? "AM" : "PM");
  }
  return static_cast<size_t>(length);
}

HRESULT ParseDateText(const OLECHAR* text, size_t length, DATE* date) {
  Cursor cursor{text, text + length};
  SkipBlanks(cursor);
  while (cursor.end != cursor.at && IsBlank(cursor.end[-1])) --cursor.end;
  SYSTEMTIME st = {1899, 12, 0, 30, 0, 0, 0, 0};
  Parsed parsed = ParseDate(cursor, &st);
  if (parsed == Parsed::Ok && !cursor.AtEnd()) {
    // A time may follow the date after a blank.
    if (!IsBlank(*cursor.at)) return DISP_E_TYPEMISMATCH;
    SkipBlanks(cursor);
    parsed = ParseTime(cursor, &st);
  } else if (parsed == Parsed::None) {
    parsed = ParseTime(cursor, &st);
  }
  if (parsed != Parsed::Ok || !cursor.AtEnd()) return DISP_E_TYPEMISMATCH;
  return SystemTimeToVariantTime(&st, date) ? S_OK : DISP_E_TYPEMISMATCH;
}

}  // namespace oletext
