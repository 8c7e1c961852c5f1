// The server objects of the connected clients, in creation order. The list is
// changed and walked under the server lock; a walk that may reach a client's
// sinks goes over a snapshot taken under the lock and runs without it.
#pragma once

#include "com/PinnedList.h"

#include "platform/wintypes.h"

#include <string>
#include <vector>

class OPCServer;
class OPCTag;

// The clients of the list at one moment, each pinned: its worker thread does
// not delete it while a walk is inside it.
using ClientSnapshot = PinnedList<OPCServer>;

class ClientList {
 public:
  // Taken under the server lock.
  ClientSnapshot Snapshot() const;
  bool Empty() const { return servers_.empty(); }
  int Count() const { return static_cast<int>(servers_.size()); }

  void Add(OPCServer* server) { servers_.push_back(server); }
  // Takes the server out of the list; false when it was not listed.
  bool Remove(OPCServer* server);
  // Clears every listed server's running flag and empties the list.
  void StopAndRemoveAll();

  // Sums of the per-server answers: the items that name the tag, and the
  // fastest non-zero rate of a group holding one (0 when none does).
  int CountTagItems(const std::string& tagName) const;
  DWORD FastestTagRate(const OPCTag& tag) const;

  void PropagateTag(const OPCTag& tag) const;
  void PropagateTagList(const std::vector<const OPCTag*>& tags) const;

 private:
  std::vector<OPCServer*> servers_;
};
