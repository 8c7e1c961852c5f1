#include "hardening/BadInputTable.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/taskmemory.h"

namespace {

std::string Hex(LONGLONG value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value) & 0xFFFFFFFFULL);
  return text;
}

}  // namespace

void BadInputTable::Add(std::string method, std::string input, LONGLONG expected, std::function<LONGLONG()> call) {
  rows_.push_back({std::move(method), std::move(input), expected, std::move(call)});
}

void BadInputTable::Run() const {
  const size_t blocksBefore = TaskMemoryLiveBlocks();
  for (const BadInput& row : rows_) {
    const LONGLONG actual = row.call();
    EXPECT_EQ(actual, row.expected) << row.method << " with " << row.input << ": got " << Hex(actual) << ", expected "
                                    << Hex(row.expected);
  }
  EXPECT_EQ(TaskMemoryLiveBlocks(), blocksBefore) << "task-allocator blocks left behind by the table";
}

WideString LongWideName(size_t length) { return WideString(length, OLECHAR('N')); }

WideString UnrepresentableWideName() { return WideString(OLESTR("Bad")) + WCHAR(0xD800) + OLESTR("Name"); }
