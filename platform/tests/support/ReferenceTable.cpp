#include "support/ReferenceTable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream stream(line);
  std::string field;
  while (std::getline(stream, field, '\t')) fields.push_back(field);
  // getline leaves nothing behind for an empty last column.
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

}  // namespace

std::vector<ReferenceRow> ReadReferenceTable(const std::string& fileName) {
  std::vector<ReferenceRow> rows;
  std::ifstream file(std::string(ZELVO_REFERENCE_DIR) + "/" + fileName);
  std::string line;
  if (!std::getline(file, line)) {
    ADD_FAILURE() << "cannot read reference table " << fileName;
    return rows;
  }
  const std::vector<std::string> columns = SplitTabs(line);
  while (std::getline(file, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> fields = SplitTabs(line);
    EXPECT_EQ(fields.size(), columns.size()) << fileName << ": " << line;
    ReferenceRow row;
    for (size_t i = 0; i < columns.size() && i < fields.size(); ++i) row[columns[i]] = fields[i];
    rows.push_back(row);
  }
  return rows;
}

WideString UnquoteText(const std::string& quoted) {
  EXPECT_TRUE(quoted.size() >= 2 && quoted.front() == '"' && quoted.back() == '"') << "not quoted: " << quoted;
  WideString text;
  for (size_t i = 1; i + 1 < quoted.size(); ++i) {
    const char c = quoted[i];
    if (c != '\\') {
      text.push_back(static_cast<unsigned char>(c));
      continue;
    }
    const char escaped = quoted.at(++i);
    if (escaped == 't') {
      text.push_back(u'\t');
    } else if (escaped == 'u') {
      text.push_back(static_cast<char16_t>(std::stoul(quoted.substr(i + 1, 4), nullptr, 16)));
      i += 4;
    } else {
      text.push_back(static_cast<unsigned char>(escaped));
    }
  }
  return text;
}

SYSTEMTIME ParseSystemTime(const std::string& text) {
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  EXPECT_EQ(7, std::sscanf(text.c_str(), "%u-%u-%u %u:%u:%u.%u", &y, &mo, &d, &h, &mi, &s, &ms)) << text;
  SYSTEMTIME time = {};
  time.wYear = static_cast<WORD>(y);
  time.wMonth = static_cast<WORD>(mo);
  time.wDay = static_cast<WORD>(d);
  time.wHour = static_cast<WORD>(h);
  time.wMinute = static_cast<WORD>(mi);
  time.wSecond = static_cast<WORD>(s);
  time.wMilliseconds = static_cast<WORD>(ms);
  return time;
}

std::string FormatSystemTime(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u dow=%u", t.wYear, t.wMonth, t.wDay, t.wHour,
                t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
  return text;
}
