#include "platform/hresult.h"
#include "platform/lasterror.h"
#include "platform/systemmessage.h"

#include "support/ReferenceTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace {

// The reference table was observed on a reimplementation with its own, shorter
// wording and without the COM texts. This layer gives the original platform's
// texts; these codes are where the two differ.
const std::map<DWORD, std::string> kOriginalPlatformTexts = {
    {0x00000000, "The operation completed successfully."},
    {0x00000001, "Incorrect function."},
    {0x00000002, "The system cannot find the file specified."},
    {0x00000005, "Access is denied."},
    {0x00000057, "The parameter is incorrect."},
    {0x80070005, "Access is denied."},
    {0x80070057, "The parameter is incorrect."},
    {0x8007000E, "Not enough memory resources are available to complete this operation."},
    {0x800706BA, "The RPC server is unavailable."},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004005, "Unspecified error"},
    {0x8000FFFF, "Catastrophic failure"},
    {0x80010106, "Cannot change thread mode after it is set."},
    {0x80020005, "Type mismatch."},
    {0x80020008, "Bad variable type."},
    {0x8002000A, "Out of present range."},
    {0x80040004, "There is no connection for this connection ID"},
    {0x80040064, "Invalid FORMATETC structure"},
    {0x80040110, "Class does not support aggregation (or class object is remote)"},
    {0x80040154, "Class not registered"},
    {0x800401F0, "CoInitialize has not been called."},
};

// The table's notation: quoted, with CR and LF written as \r and \n.
std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\n') {
      quoted += "\\n";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

CallOutcome Lookup(DWORD code, DWORD languageId, DWORD size) {
  char buffer[4096];
  SetLastError(0);
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                      languageId, buffer, size, nullptr);
  if (length == 0) return {"0", std::to_string(GetLastError()), "-"};
  EXPECT_EQ(std::strlen(buffer), length);
  return {std::to_string(length), "-", Quote(buffer)};
}

}  // namespace

TEST(SystemMessage, TextsMatchTheReferenceTableOrTheOriginalPlatform) {
  int checked = 0;
  for (const ReferenceRow& row : ReadReferenceTable("system_messages.tsv")) {
    const DWORD code = static_cast<DWORD>(std::stoul(row.at("code_hex"), nullptr, 16));
    CallOutcome expected = {row.at("return_len"), row.at("last_error"), row.at("text")};
    const auto original = kOriginalPlatformTexts.find(code);
    if (original != kOriginalPlatformTexts.end()) {
      const std::string line = original->second + "\r\n";
      expected = {std::to_string(line.size()), "-", Quote(line)};
    }
    const DWORD languageId = static_cast<DWORD>(std::stoul(row.at("langid"), nullptr, 16));
    const DWORD size = static_cast<DWORD>(std::stoul(row.at("buf_size")));
    EXPECT_EQ(Lookup(code, languageId, size), expected) << row.at("code_name") << " langid " << row.at("langid");
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

TEST(SystemMessage, BufferMustHoldTheTextAndItsZero) {
  const std::string success = "The operation completed successfully.\r\n";
  const DWORD exact = static_cast<DWORD>(success.size() + 1);
  EXPECT_EQ(Lookup(S_OK, 0, exact).result, std::to_string(success.size()));
  EXPECT_EQ(Lookup(S_OK, 0, exact - 1), (CallOutcome{"0", "122", "-"}));
  // Longer than the 127 characters that callers usually offer.
  EXPECT_EQ(Lookup(static_cast<DWORD>(RPC_E_SERVER_DIED), 0, 127), (CallOutcome{"0", "122", "-"}));
}

TEST(SystemMessage, OnlyTheSystemTableIsALegalSource) {
  char buffer[128];
  for (DWORD flags : {FORMAT_MESSAGE_FROM_STRING, FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE}) {
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(flags, nullptr, 0, 0, buffer, sizeof buffer, nullptr), 0u) << flags;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  // The toolkit's own call: system table with an argument array.
  EXPECT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr,
                           static_cast<DWORD>(E_FAIL), 0, buffer, 127, nullptr),
            0u);
  EXPECT_STREQ(buffer, "Unspecified error\r\n");
}
