// The clients of the list at one moment, each pinned so that its worker thread
// does not delete it while a walk that runs without the server lock (and may
// reach the client's sinks) is inside it. Taken under the server lock.
#pragma once

#include <vector>

class OPCServer;

class ClientSnapshot {
 public:
  explicit ClientSnapshot(std::vector<OPCServer*> servers);
  ~ClientSnapshot();
  ClientSnapshot(const ClientSnapshot&) = delete;
  ClientSnapshot& operator=(const ClientSnapshot&) = delete;

  std::vector<OPCServer*>::const_iterator begin() const { return servers_.begin(); }
  std::vector<OPCServer*>::const_iterator end() const { return servers_.end(); }
  int Size() const { return static_cast<int>(servers_.size()); }

 private:
  const std::vector<OPCServer*> servers_;
};
