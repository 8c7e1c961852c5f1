// Registers itself as the host's EVENTMSGPROC and keeps what arrives.
#pragma once

#include <string>
#include <vector>

class TraceCapture {
 public:
  TraceCapture();
  ~TraceCapture();
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;

  struct Line {
    std::string text;
    const char* buffer;  // where the callback found it
  };
  std::vector<Line> Lines() const;
  // The texts alone.
  std::vector<std::string> Texts() const;
};
