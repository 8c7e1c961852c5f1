#include "urlcoding.h"

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string percentDecode(std::string_view text, bool plusIsSpace) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
      decoded.push_back(static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
      i += 2;
    } else if (c == '+' && plusIsSpace) {
      decoded.push_back(' ');
    } else {
      decoded.push_back(c);
    }
  }
  return decoded;
}

std::map<std::string, std::string> decodeForm(std::string_view body) {
  std::map<std::string, std::string> fields;
  while (!body.empty()) {
    const size_t end = body.find('&');
    const std::string_view field = body.substr(0, end);
    const size_t equals = field.find('=');
    const std::string_view name = field.substr(0, equals);
    const std::string_view value = equals == std::string_view::npos ? std::string_view() : field.substr(equals + 1);
    if (!name.empty()) fields[percentDecode(name, true)] = percentDecode(value, true);
    body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
  }
  return fields;
}
