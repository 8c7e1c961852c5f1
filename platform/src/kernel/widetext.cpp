#include "platform/widetext.h"

#include "kernel/codepageconverter.h"
#include "platform/codepage.h"

#include <cstring>

namespace {

// The ANSI code page is always one the system converts; only a system without
// its conversion modules has no converter, and there no byte has a meaning.
WideString Widen(const char* bytes, size_t size) {
  CodePageConverter* converter = CodePageConverter::ForThread(GetACP());
  if (converter == nullptr) return WideString(size, u'\uFFFD');
  return *converter->Widen(bytes, size, false);
}

std::optional<std::string> Narrow(const WCHAR* units, size_t count) {
  CodePageConverter* converter = CodePageConverter::ForThread(GetACP());
  if (converter == nullptr) return std::nullopt;
  return converter->Narrow(units, count);
}

}  // namespace

size_t WideLength(const WCHAR* text) {
  if (text == nullptr) return 0;
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

WideString WidenAnsi(const std::string& text) { return Widen(text.data(), text.size()); }

WideString WidenAnsi(const char* text) { return text == nullptr ? WideString() : Widen(text, std::strlen(text)); }

std::optional<std::string> NarrowAnsi(const WideString& text) { return Narrow(text.data(), text.size()); }

std::optional<std::string> NarrowAnsi(const WCHAR* text) {
  return text == nullptr ? std::string() : Narrow(text, WideLength(text));
}
