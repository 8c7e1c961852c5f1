// The COM server object of one client connection, kept in the application
// object's client list. It grows here into the full object with its groups and
// event subscriptions; until then a server has no groups, so every per-server
// operation the tag database calls finds nothing to do.
#pragma once

#include "platform/wintypes.h"

#include <string>
#include <vector>

class COPCEvent;
class OPCTag;
struct ONEVENTSTRUCT;

class OPCServer {
 public:
  // The number of this client's items that name the tag.
  int CountTagItems(const std::string& tagName) const;

  // The smallest update rate among this client's groups that hold an item for
  // the tag; 0 when none does.
  DWORD FastestTagRate(const OPCTag& tag) const;

  // Copies an updated tag, or a batch of them, into the items naming it. The
  // caller holds the server lock. The number of groups walked.
  int PropagateTag(const OPCTag& tag);
  int PropagateTagList(const std::vector<const OPCTag*>& tags);

  // The client's queued asynchronous requests, then its groups' data-change
  // scan (every active group sends at once when forced). Called without the
  // server lock. The number of groups walked.
  int ProcessAsyncRequests();
  int ScanGroups(BOOL forced);

  // Hands an event to every event subscription of the client.
  int BroadcastEventRecord(const COPCEvent& event);
  // A simple event from the source to every event subscription of the client.
  int BroadcastUserMessage(const char* source, const char* message, DWORD severity);
  // An event given field by field to every event subscription of the client,
  // or, for a non-zero handle, to that subscription if it is the client's.
  int BroadcastEvent(DWORD subscription, const ONEVENTSTRUCT& event, BOOL refresh, BOOL lastRefresh);
};
