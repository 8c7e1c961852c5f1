#include "replyscripts.h"

void ReplyScripts::set(StandinEndpoint endpoint, ScriptedReply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  replies_[endpoint] = std::move(reply);
}

void ReplyScripts::clear(StandinEndpoint endpoint) {
  std::lock_guard<std::mutex> lock(mutex_);
  replies_.erase(endpoint);
}

ScriptedReply ReplyScripts::get(StandinEndpoint endpoint) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = replies_.find(endpoint);
  return found == replies_.end() ? ScriptedReply() : found->second;
}
