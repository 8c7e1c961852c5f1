#include "platform/module.h"

#include "kernel/codepageconverter.h"
#include "platform/codepage.h"
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

// The file system's UTF-8 in wide text; a byte that starts no valid sequence
// becomes U+FFFD.
WideString WidenUtf8(const std::string& text) {
  CodePageConverter* converter = CodePageConverter::ForThread(CP_UTF8);
  return converter != nullptr ? *converter->Widen(text.data(), text.size(), false) : WideString();
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
