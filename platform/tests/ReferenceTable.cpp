#include "ReferenceTable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream stream(line);
  std::string field;
  while (std::getline(stream, field, '\t')) fields.push_back(field);
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
