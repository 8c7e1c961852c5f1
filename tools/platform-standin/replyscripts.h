#pragma once

#include <map>
#include <mutex>

#include "scriptedreply.h"
#include "standinendpoint.h"

// The scripted answer of each endpoint; an endpoint without one answers as the
// platform would.
class ReplyScripts {
public:
  void set(StandinEndpoint endpoint, ScriptedReply reply);
  void clear(StandinEndpoint endpoint);
  ScriptedReply get(StandinEndpoint endpoint) const;

private:
  mutable std::mutex mutex_;
  std::map<StandinEndpoint, ScriptedReply> replies_;
};
