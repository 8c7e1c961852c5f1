#include "JsonReader.h"

#include <cstdlib>
#include <cstring>

namespace {

void AppendUtf8(std::string& out, unsigned point) {
  if (point < 0x80) {
    out += static_cast<char>(point);
  } else if (point < 0x800) {
    out += static_cast<char>(0xC0 | (point >> 6));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    out += static_cast<char>(0xE0 | (point >> 12));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (point >> 18));
    out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  }
}

}  // namespace

std::optional<JsonValue> JsonReader::Read() {
  at_ = 0;
  error_.clear();
  JsonValue value;
  if (!ReadValue(value, 0)) return std::nullopt;
  SkipSpace();
  if (at_ != text_.size()) {
    Fail("text after the value");
    return std::nullopt;
  }
  return value;
}

bool JsonReader::Fail(const std::string& reason) {
  if (error_.empty()) error_ = reason + " at byte " + std::to_string(at_);
  return false;
}

void JsonReader::SkipSpace() {
  while (at_ < text_.size() && std::strchr(" \t\r\n", text_[at_]) != nullptr && text_[at_] != '\0') ++at_;
}

bool JsonReader::ReadValue(JsonValue& value, int depth) {
  if (depth > kMaxDepth) return Fail("nesting too deep");
  SkipSpace();
  if (at_ >= text_.size()) return Fail("the text ends where a value should be");
  switch (text_[at_]) {
    case '{':
      return ReadObject(value, depth);
    case '[':
      return ReadArray(value, depth);
    case '"': {
      std::string text;
      if (!ReadText(text)) return false;
      value = JsonValue::Text(std::move(text));
      return true;
    }
    case 't':
      value = JsonValue::Boolean(true);
      return ReadWord("true");
    case 'f':
      value = JsonValue::Boolean(false);
      return ReadWord("false");
    case 'n':
      value = JsonValue();
      return ReadWord("null");
    default:
      return ReadNumber(value);
  }
}

bool JsonReader::ReadObject(JsonValue& value, int depth) {
  ++at_;
  std::vector<std::pair<std::string, JsonValue>> members;
  SkipSpace();
  if (at_ < text_.size() && text_[at_] == '}') {
    ++at_;
    value = JsonValue::Object(std::move(members));
    return true;
  }
  for (;;) {
    SkipSpace();
    if (at_ >= text_.size() || text_[at_] != '"') return Fail("a member name should be here");
    std::string name;
    if (!ReadText(name)) return false;
    SkipSpace();
    if (at_ >= text_.size() || text_[at_] != ':') return Fail("':' should follow a member name");
    ++at_;
    JsonValue member;
    if (!ReadValue(member, depth + 1)) return false;
    members.emplace_back(std::move(name), std::move(member));
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == ',') {
      ++at_;
      continue;
    }
    if (at_ < text_.size() && text_[at_] == '}') {
      ++at_;
      value = JsonValue::Object(std::move(members));
      return true;
    }
    return Fail("',' or '}' should follow a member");
  }
}

bool JsonReader::ReadArray(JsonValue& value, int depth) {
  ++at_;
  std::vector<JsonValue> elements;
  SkipSpace();
  if (at_ < text_.size() && text_[at_] == ']') {
    ++at_;
    value = JsonValue::Array(std::move(elements));
    return true;
  }
  for (;;) {
    JsonValue element;
    if (!ReadValue(element, depth + 1)) return false;
    elements.push_back(std::move(element));
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == ',') {
      ++at_;
      continue;
    }
    if (at_ < text_.size() && text_[at_] == ']') {
      ++at_;
      value = JsonValue::Array(std::move(elements));
      return true;
    }
    return Fail("',' or ']' should follow an element");
  }
}

bool JsonReader::ReadHexQuad(unsigned& unit) {
  if (at_ + 4 > text_.size()) return Fail("a \\u escape needs four hexadecimal digits");
  unit = 0;
  for (int i = 0; i < 4; ++i) {
    const char c = text_[at_++];
    unit <<= 4;
    if (c >= '0' && c <= '9') {
      unit |= static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      unit |= static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      unit |= static_cast<unsigned>(c - 'A' + 10);
    } else {
      return Fail("a \\u escape needs four hexadecimal digits");
    }
  }
  return true;
}

bool JsonReader::ReadText(std::string& text) {
  ++at_;
  while (at_ < text_.size()) {
    const unsigned char c = static_cast<unsigned char>(text_[at_++]);
    if (c == '"') return true;
    if (c < 0x20) return Fail("a control character inside a text");
    if (c != '\\') {
      text += static_cast<char>(c);
      continue;
    }
    if (at_ >= text_.size()) break;
    const char escape = text_[at_++];
    switch (escape) {
      case '"': text += '"'; break;
      case '\\': text += '\\'; break;
      case '/': text += '/'; break;
      case 'b': text += '\b'; break;
      case 'f': text += '\f'; break;
      case 'n': text += '\n'; break;
      case 'r': text += '\r'; break;
      case 't': text += '\t'; break;
      case 'u': {
        unsigned unit = 0;
        if (!ReadHexQuad(unit)) return false;
        // A surrogate pair makes one code point; a lone surrogate is no text.
        if (unit >= 0xD800 && unit <= 0xDBFF) {
          unsigned low = 0;
          if (at_ + 2 > text_.size() || text_[at_] != '\\' || text_[at_ + 1] != 'u') return Fail("a lone surrogate");
          at_ += 2;
          if (!ReadHexQuad(low)) return false;
          if (low < 0xDC00 || low > 0xDFFF) return Fail("a lone surrogate");
          unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
          return Fail("a lone surrogate");
        }
        AppendUtf8(text, unit);
        break;
      }
      default:
        return Fail("an unknown escape");
    }
  }
  return Fail("the text ends inside a string");
}

bool JsonReader::ReadNumber(JsonValue& value) {
  const size_t start = at_;
  auto digits = [&] {
    const size_t first = at_;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
    return at_ > first;
  };
  if (at_ < text_.size() && text_[at_] == '-') ++at_;
  if (at_ < text_.size() && text_[at_] == '0') {
    ++at_;
  } else if (!digits()) {
    at_ = start;
    return Fail("not a JSON value");
  }
  if (at_ < text_.size() && text_[at_] == '.') {
    ++at_;
    if (!digits()) return Fail("digits should follow '.'");
  }
  if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
    ++at_;
    if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
    if (!digits()) return Fail("digits should follow the exponent");
  }
  value = JsonValue::Number(std::strtod(text_.substr(start, at_ - start).c_str(), nullptr));
  return true;
}

bool JsonReader::ReadWord(const char* word) {
  const size_t length = std::strlen(word);
  if (text_.compare(at_, length, word) != 0) return Fail("not a JSON value");
  at_ += length;
  return true;
}
