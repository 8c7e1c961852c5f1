#include "app/TraceSink.h"

#include <cstdio>
#include <cstring>

void TraceSink::Trace(const char* text, const char* suffix) const {
  const EVENTMSGPROC proc = proc_.Get();
  if (proc == nullptr || text == nullptr) return;
  char buffer[kBufferSize];
  size_t length = strnlen(text, kBufferSize - 1);
  std::memcpy(buffer, text, length);
  if (suffix != nullptr) {
    const size_t suffixLength = strnlen(suffix, kBufferSize - 1 - length);
    std::memcpy(buffer + length, suffix, suffixLength);
    length += suffixLength;
  }
  buffer[length] = '\0';
  proc(buffer);
}

void TraceSink::TraceCount(const char* object, const char* method, long count) const {
  if (proc_.Get() == nullptr) return;
  char text[kBufferSize];
  std::snprintf(text, sizeof text, "%s::%s(%ld)", object, method, count);
  Trace(text);
}
