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
  // A trailing empty column leaves no field behind getline.
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

}  // namespace

ReferenceTable::ReferenceTable(const std::string& fileName) {
  std::ifstream file(std::string(ZELVO_REFERENCE_DIR) + "/" + fileName);
  EXPECT_TRUE(file.is_open()) << "cannot read " << fileName;
  std::string line;
  if (!std::getline(file, line)) return;
  const std::vector<std::string> header = SplitTabs(line);
  for (size_t i = 0; i < header.size(); ++i) columns_[header[i]] = i;
  while (std::getline(file, line)) {
    std::vector<std::string> fields = SplitTabs(line);
    fields.resize(header.size());
    rows_.push_back(std::move(fields));
  }
}

const std::string& ReferenceTable::At(size_t row, const std::string& column) const {
  const auto found = columns_.find(column);
  if (found == columns_.end()) throw std::out_of_range("no column " + column);
  return rows_.at(row).at(found->second);
}

WideString UnquoteText(const std::string& quoted) {
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
    throw std::invalid_argument("not quoted: " + quoted);
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
