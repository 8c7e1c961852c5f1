#include "runtime/ClientList.h"

#include "da/server/OPCServer.h"

#include <algorithm>

ClientSnapshot ClientList::Snapshot() const { return ClientSnapshot(servers_); }

bool ClientList::Remove(OPCServer* server) {
  const auto entry = std::find(servers_.begin(), servers_.end(), server);
  if (entry == servers_.end()) return false;
  servers_.erase(entry);
  return true;
}

void ClientList::StopAndRemoveAll() {
  for (OPCServer* server : servers_) server->Stop();
  servers_.clear();
}
