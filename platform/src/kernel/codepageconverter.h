// Conversion between one code page's 8-bit text and UTF-16 wide text, through
// the C library's iconv. An iconv descriptor carries conversion state and may
// not be used by two threads at once, so every thread keeps its own converter
// per code page: opened on the thread's first conversion in that code page,
// closed when the thread ends. Lookups of names convert on every call, so text
// that is all ASCII in a code page that keeps ASCII as it is skips iconv.
#pragma once

#include "platform/wintypes.h"

#include <iconv.h>

#include <optional>
#include <string>

class CodePageConverter {
 public:
  // This thread's converter for the code page (65001 is UTF-8); NULL when
  // iconv knows no such code page.
  static CodePageConverter* ForThread(UINT codePage);

  CodePageConverter(iconv_t toWide, iconv_t toNarrow);
  ~CodePageConverter();
  CodePageConverter(const CodePageConverter&) = delete;
  CodePageConverter& operator=(const CodePageConverter&) = delete;

  // A byte that starts no valid character widens to U+FFFD, one per byte; with
  // `strict`, such a byte makes the whole conversion fail instead.
  std::optional<std::u16string> Widen(const char* bytes, size_t size, bool strict);
  // Fails when a unit has no exact form in the code page (an unpaired
  // surrogate included): no character is ever replaced by another.
  std::optional<std::string> Narrow(const char16_t* units, size_t count);

  // Whether the byte starts a two-byte character: it is no character alone,
  // and some byte after it makes one character with it.
  bool IsLeadByte(unsigned char byte);

 private:
  bool KeepsAscii();
  void FindLeadBytes();

  iconv_t toWide_;
  iconv_t toNarrow_;
  bool keepsAscii_ = false;
  bool leadBytesKnown_ = false;
  bool leadBytes_[256] = {};
};
