// Reads the tab-separated reference tables of observed platform answers in
// tests/reference: one header line, then one row per case, no quoting.
#pragma once

#include "platform/widetext.h"
#include "platform/wintypes.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

typedef std::map<std::string, std::string> ReferenceRow;

// Every row of the named table, keyed by the header's column names. An unreadable
// table fails the calling test and gives no rows.
std::vector<ReferenceRow> ReadReferenceTable(const std::string& fileName);

// What a call of the tables gave: its return value, the last error after a
// failing call ("-" when it succeeded) and its output ("-" when it failed), all
// in the tables' notation.
struct CallOutcome {
  std::string result;
  std::string lastError;
  std::string output;
};

inline bool operator==(const CallOutcome& a, const CallOutcome& b) {
  return a.result == b.result && a.lastError == b.lastError && a.output == b.output;
}

inline std::ostream& operator<<(std::ostream& out, const CallOutcome& o) {
  return out << "result=" << o.result << " last_error=" << o.lastError << " output=" << o.output;
}

// Text the tables write in double quotes, with \t, \", \\ and \uXXXX escapes.
WideString UnquoteText(const std::string& quoted);

// SYSTEMTIME in the tables' notation: "2024-02-29 23:59:59.999 dow=4" (reading
// stops after the milliseconds, so the day of the week is left 0).
SYSTEMTIME ParseSystemTime(const std::string& text);
std::string FormatSystemTime(const SYSTEMTIME& time);
