#pragma once

#include <cstdint>
#include <string>

#include <QProcess>
#include <QTemporaryDir>

// The platform stand-in's program run as a child process, so that a test can
// do to the platform what happens to a real one: kill it, freeze it with its
// connections open, and start it again on the same port.
class StandinProcess {
public:
  StandinProcess() = default;
  ~StandinProcess();
  StandinProcess(const StandinProcess&) = delete;
  StandinProcess& operator=(const StandinProcess&) = delete;

  // Starts the program serving `tables` (the stand-in's data-file document)
  // on the port of the last start, or on a free one the first time; with
  // `simulate` it moves the values once a second and pushes every changed
  // device. Returns whether it listens.
  bool start(const std::string& tables, bool simulate = false);
  // Ends it at once, as a crash would; a frozen one too.
  void kill();
  // Stops it (SIGSTOP): its connections stay open and nothing answers.
  void freeze();

  // "127.0.0.1:<port>".
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
  QTemporaryDir dir_;
  QProcess process_;
  std::uint16_t port_ = 0;
  int starts_ = 0;
};
