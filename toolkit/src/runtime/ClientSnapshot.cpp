#include "runtime/ClientSnapshot.h"

#include "da/server/OPCServer.h"

ClientSnapshot::ClientSnapshot(std::vector<OPCServer*> servers) : servers_(std::move(servers)) {
  for (OPCServer* server : servers_) server->Pin();
}

ClientSnapshot::~ClientSnapshot() {
  for (OPCServer* server : servers_) server->Unpin();
}
