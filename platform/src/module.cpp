#include "platform/module.h"

#include "platform/hresult.h"
#include "platform/lasterror.h"
#include "platform/widetext.h"

#include <algorithm>
#include <string>

#include <unistd.h>

namespace {

// The running program's path as the kernel names it; empty when it cannot be read.
std::string ExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", &path[0], path.size());
    if (length < 0) return std::string();
    if (static_cast<size_t>(length) < path.size()) {
      path.resize(static_cast<size_t>(length));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// How many continuation bytes follow a lead byte; -1 for a byte that starts no sequence.
int TrailCount(unsigned char lead) {
  if (lead < 0x80) return 0;
  if (lead < 0xC2 || lead > 0xF4) return -1;
  return lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
}

// UTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD.
WideString WidenUtf8(const std::string& text) {
  static const char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
  WideString wide;
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int trail = TrailCount(lead);
    bool valid = trail >= 0 && i + trail < text.size();
    char32_t code = valid ? lead & (0x7F >> trail) : 0;
    for (int k = 1; valid && k <= trail; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    valid = valid && code >= smallest[trail] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    if (!valid) {
      wide.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      wide.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      wide.push_back(static_cast<char16_t>(code));
    }
    i += static_cast<size_t>(trail) + 1;
  }
  return wide;
}

}  // namespace

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  if (module != nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  const WideString path = WidenUtf8(ExecutablePath());
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (size == 0 || fileName == nullptr) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const size_t copied = std::min<size_t>(path.size(), size - 1);
  std::copy_n(path.begin(), copied, fileName);
  fileName[copied] = u'\0';
  if (copied < path.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  return static_cast<DWORD>(copied);
}
