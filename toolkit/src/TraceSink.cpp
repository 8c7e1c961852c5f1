#include "TraceSink.h"

#include <cstring>

void TraceSink::Trace(const char* text) const {
  const EVENTMSGPROC proc = proc_.Get();
  if (proc == nullptr || text == nullptr) return;
  char buffer[kBufferSize];
  const size_t length = strnlen(text, kBufferSize - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  proc(buffer);
}
