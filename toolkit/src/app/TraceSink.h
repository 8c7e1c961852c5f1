// Forwards the library's trace lines to the host's EVENTMSGPROC, when one is set.
#pragma once

#include "Vorlix.h"
#include "app/HostCallback.h"

#include <cstddef>

class TraceSink {
 public:
  // The host's buffer holds this many bytes, its terminating zero included;
  // longer texts are cut.
  static constexpr size_t kBufferSize = 100;

  // Replaces the callback; NULL switches tracing off. TRUE when one is set.
  BOOL Enable(EVENTMSGPROC proc) { return proc_.Set(proc); }

  // Calls the callback with a terminated copy of the text, followed by the
  // suffix when one is given, on the caller's thread; takes no lock and
  // allocates nothing. Does nothing while no callback is set or without text.
  void Trace(const char* text, const char* suffix = nullptr) const;
  // Traces "<object>::<method>(<count>)", as reference counts are traced.
  // Allocates nothing, so AddRef and Release cannot fail for want of memory.
  void TraceCount(const char* object, const char* method, long count) const;

 private:
  HostCallback<EVENTMSGPROC> proc_;
};
