#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "websocketchannel.h"

class WebSocketSession;

// The open connections of both WebSocket channels, and what tests and the demo
// do with them: push text, drop connections, refuse new ones for a while.
// Safe to use from any thread.
class WebSocketHub {
public:
  void add(const std::shared_ptr<WebSocketSession>& session);
  void remove(const WebSocketSession* session);

  // Sends `text` on every open connection of `channel`, or only on those
  // opened with the "code" query `code`. Returns how many connections it went to.
  std::size_t push(WebSocketChannel channel, const std::string& text,
                   const std::optional<std::string>& code = std::nullopt) const;
  // Closes every open connection of `channel` at once, without a closing handshake.
  void drop(WebSocketChannel channel) const;
  std::size_t openConnections(WebSocketChannel channel) const;

  // A connection whose frames not yet sent would exceed `bytes` is dropped,
  // so a client that stops reading cannot make the stand-in grow without end.
  void limitSendQueue(std::size_t bytes) { sendQueueLimit_ = bytes; }
  std::size_t sendQueueLimit() const { return sendQueueLimit_; }
  static constexpr std::size_t DefaultSendQueueLimit = 16 * 1024 * 1024;

  // Sends `text` on every connection of `channel` opened from now on, right
  // after its handshake (the platform refusing every session, say); no text
  // greets them no more.
  void greetNewConnections(WebSocketChannel channel, std::optional<std::string> text);
  std::optional<std::string> greeting(WebSocketChannel channel) const;

  // Answers upgrade requests with 503 for `period` from now; zero accepts them again.
  void refuseUpgradesFor(std::chrono::milliseconds period);
  bool refusingUpgrades() const;

private:
  std::vector<std::shared_ptr<WebSocketSession>> openSessions(WebSocketChannel channel,
                                                               const std::optional<std::string>& code) const;

  mutable std::mutex mutex_;
  // Weak, so that a connection lives only as long as the server's handlers
  // hold it.
  std::vector<std::weak_ptr<WebSocketSession>> sessions_;
  std::chrono::steady_clock::time_point refuseUntil_;
  std::optional<std::string> readGreeting_;
  std::optional<std::string> writeGreeting_;
  std::atomic<std::size_t> sendQueueLimit_{DefaultSendQueueLimit};
};
