// Reads a JSON text (RFC 8259) into a JsonValue. A text that is not JSON gives
// no value and a one-line reason with the byte offset where reading stopped.
// Nesting deeper than kMaxDepth is refused rather than recursed into.
#pragma once

#include "JsonValue.h"

#include <optional>
#include <string>
#include <utility>

class JsonReader {
 public:
  static constexpr int kMaxDepth = 64;

  explicit JsonReader(std::string text) : text_(std::move(text)) {}

  std::optional<JsonValue> Read();
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& reason);
  void SkipSpace();
  bool ReadValue(JsonValue& value, int depth);
  bool ReadObject(JsonValue& value, int depth);
  bool ReadArray(JsonValue& value, int depth);
  bool ReadText(std::string& text);
  bool ReadHexQuad(unsigned& unit);
  bool ReadNumber(JsonValue& value);
  bool ReadWord(const char* word);

  const std::string text_;
  size_t at_ = 0;
  std::string error_;
};
