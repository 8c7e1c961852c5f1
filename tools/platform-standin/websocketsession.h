#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/websocket/stream.hpp>

#include "websocketchannel.h"

class ChannelRouter;
class WebSocketHub;

// One client connection of a WebSocket channel, taken over from the HTTP
// connection that asked for the upgrade. Hands every text frame to the
// channel router and sends what it is given, one frame after another. It is
// listed in the hub from the handshake until the connection ends.
class WebSocketSession : public std::enable_shared_from_this<WebSocketSession> {
public:
  using Upgrade = boost::beast::http::request<boost::beast::http::string_body>;

  WebSocketSession(boost::beast::tcp_stream stream, WebSocketChannel channel, std::string code,
                   ChannelRouter& router, WebSocketHub& hub);

  // Completes the handshake the upgrade request asked for.
  void start(const Upgrade& upgrade);
  // Queues one text frame; callable from any thread. A frame that would take
  // the queue past the hub's limit drops the connection instead.
  void send(std::string text);
  // Closes the connection at once; callable from any thread.
  void drop();

  WebSocketChannel channel() const { return channel_; }
  const std::string& code() const { return code_; }

private:
  void read();
  void writeNext();
  void finish();
  void close();

  boost::beast::websocket::stream<boost::beast::tcp_stream> socket_;
  boost::beast::flat_buffer buffer_;
  std::deque<std::string> outbox_;
  std::size_t outboxBytes_ = 0;  // of the frames in outbox_
  bool finished_ = false;
  const WebSocketChannel channel_;
  const std::string code_;
  ChannelRouter& router_;
  WebSocketHub& hub_;
};
