// A table of calls that a misbehaving client or host makes, each row with the
// result it must get. Rows are data: the interface and method, the kind of bad
// input, the expected result (an HRESULT, a BOOL or a handle, widened), and the
// call itself. Run() makes the calls in order and checks each result; the
// task allocator's live-block count must be the same after the table as before
// it, so no refusal leaves a block behind with the caller or the library.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/widetext.h"
#include "platform/wintypes.h"

struct BadInput {
  std::string method;
  std::string input;
  LONGLONG expected;
  std::function<LONGLONG()> call;
};

class BadInputTable {
 public:
  void Add(std::string method, std::string input, LONGLONG expected, std::function<LONGLONG()> call);
  // Runs every row, in order, as GoogleTest expectations.
  void Run() const;

 private:
  std::vector<BadInput> rows_;
};

// A wide text of `length` units, none the terminator.
WideString LongWideName(size_t length = 65536);
// A wide text that no 8-bit text of the system's code page can hold (an
// unpaired surrogate).
WideString UnrepresentableWideName();
// Element counts far beyond the arrays passed with them.
constexpr DWORD kHugeCount = 0x7FFFFFFF;
// What a row answers when the call's result was right but what it handed out
// (or left) was not.
constexpr HRESULT kWrongOutputs = static_cast<HRESULT>(0x8000DEAD);
