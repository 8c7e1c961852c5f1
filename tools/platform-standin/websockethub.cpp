#include "websockethub.h"

#include <algorithm>

#include "websocketsession.h"

void WebSocketHub::add(const std::shared_ptr<WebSocketSession>& session) {
  std::lock_guard<std::mutex> lock(mutex_);
  sessions_.push_back(session);
}

void WebSocketHub::remove(const WebSocketSession* session) {
  std::lock_guard<std::mutex> lock(mutex_);
  sessions_.erase(std::remove_if(sessions_.begin(), sessions_.end(),
                                 [session](const std::weak_ptr<WebSocketSession>& entry) {
                                   const std::shared_ptr<WebSocketSession> open = entry.lock();
                                   return !open || open.get() == session;
                                 }),
                  sessions_.end());
}

std::size_t WebSocketHub::push(WebSocketChannel channel, const std::string& text,
                               const std::optional<std::string>& code) const {
  const auto sessions = openSessions(channel, code);
  for (const auto& session : sessions) session->send(text);
  return sessions.size();
}

void WebSocketHub::drop(WebSocketChannel channel) const {
  for (const auto& session : openSessions(channel, std::nullopt)) session->drop();
}

std::size_t WebSocketHub::openConnections(WebSocketChannel channel) const {
  return openSessions(channel, std::nullopt).size();
}

void WebSocketHub::greetNewConnections(WebSocketChannel channel, std::optional<std::string> text) {
  std::lock_guard<std::mutex> lock(mutex_);
  (channel == WebSocketChannel::Read ? readGreeting_ : writeGreeting_) = std::move(text);
}

std::optional<std::string> WebSocketHub::greeting(WebSocketChannel channel) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return channel == WebSocketChannel::Read ? readGreeting_ : writeGreeting_;
}

void WebSocketHub::refuseUpgradesFor(std::chrono::milliseconds period) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseUntil_ = std::chrono::steady_clock::now() + period;
}

bool WebSocketHub::refusingUpgrades() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::chrono::steady_clock::now() < refuseUntil_;
}

std::vector<std::shared_ptr<WebSocketSession>> WebSocketHub::openSessions(
    WebSocketChannel channel, const std::optional<std::string>& code) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::shared_ptr<WebSocketSession>> matching;
  for (const auto& entry : sessions_) {
    std::shared_ptr<WebSocketSession> session = entry.lock();
    if (session && session->channel() == channel && (!code || session->code() == *code))
      matching.push_back(std::move(session));
  }
  return matching;
}
