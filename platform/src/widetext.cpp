#include "platform/widetext.h"

size_t WideLength(const WCHAR* text) {
  if (text == nullptr) return 0;
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

WideString WidenLatin1(const std::string& text) {
  WideString wide;
  wide.reserve(text.size());
  for (unsigned char c : text) wide.push_back(static_cast<char16_t>(c));
  return wide;
}

WideString WidenLatin1(const char* text) { return text == nullptr ? WideString() : WidenLatin1(std::string(text)); }

std::string NarrowLatin1(const WideString& text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (char16_t unit : text) narrow.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
  return narrow;
}

std::string NarrowLatin1(const WCHAR* text) {
  return text == nullptr ? std::string() : NarrowLatin1(WideString(text, WideLength(text)));
}
