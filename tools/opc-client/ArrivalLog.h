// Where the client's sinks put what arrives: one line per value or event,
// printed in arrival order from whichever COM thread delivers it, and counted
// so that the command ends after the number asked for.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

class ArrivalLog {
 public:
  // `wanted` 0: no number ends the wait.
  ArrivalLog(std::ostream& out, unsigned wanted) : out_(out), wanted_(wanted) {}

  void Add(const std::string& line);
  // A failure a sink saw (a stream it cannot read); ends the wait.
  void Fail(const std::string& reason);

  // Waits until `wanted` lines have come, the log has failed, Stop was
  // called or `timeoutMs` has passed (INFINITE: no limit). True when the
  // lines have come (or, without a number, when stopped).
  bool Wait(DWORD timeoutMs);
  void Stop();

  unsigned Count() const;
  std::vector<std::string> Lines() const;
  std::string Failure() const;

 private:
  std::ostream& out_;
  const unsigned wanted_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
  std::string failure_;
  bool stopped_ = false;
};
