// Reads the tab-separated tables of the target platform's observed answers
// (one header line, then one row per case) from the reference folder.
#pragma once

#include "platform/widetext.h"

#include <map>
#include <string>
#include <vector>

class ReferenceTable {
 public:
  // fileName is relative to the reference folder; a missing file fails the test.
  explicit ReferenceTable(const std::string& fileName);

  size_t size() const { return rows_.size(); }
  const std::string& At(size_t row, const std::string& column) const;

 private:
  std::map<std::string, size_t> columns_;
  std::vector<std::vector<std::string>> rows_;
};

// Text the tables write in double quotes, with \t, \", \\ and \uXXXX escapes.
WideString UnquoteText(const std::string& quoted);
