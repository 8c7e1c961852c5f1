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

int ClientList::CountTagItems(const std::string& tagName) const {
  int items = 0;
  for (const OPCServer* server : servers_) items += server->CountTagItems(tagName);
  return items;
}

DWORD ClientList::FastestTagRate(const OPCTag& tag) const {
  DWORD fastest = 0;
  for (const OPCServer* server : servers_) {
    const DWORD rate = server->FastestTagRate(tag);
    if (rate != 0 && (fastest == 0 || rate < fastest)) fastest = rate;
  }
  return fastest;
}

void ClientList::PropagateTag(const OPCTag& tag) const {
  for (OPCServer* server : servers_) server->PropagateTag(tag);
}

void ClientList::PropagateTagList(const std::vector<const OPCTag*>& tags) const {
  for (OPCServer* server : servers_) server->PropagateTagList(tags);
}
