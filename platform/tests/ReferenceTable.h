// Reads the tab-separated reference tables of observed platform answers in
// tests/reference: one header line, then one row per case, no quoting.
#pragma once

#include <map>
#include <string>
#include <vector>

typedef std::map<std::string, std::string> ReferenceRow;

// Every row of the named table, keyed by the header's column names. An unreadable
// table fails the calling test and gives no rows.
std::vector<ReferenceRow> ReadReferenceTable(const std::string& fileName);
