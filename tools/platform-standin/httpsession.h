#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include "standinservices.h"

// One client connection: reads each request, keeps its head bytes exactly as
// they arrived for the log, lets Beast parse it, and answers as the router and
// the endpoint's script say. Serves requests one after another while the
// client keeps the connection alive. An upgrade to one of the WebSocket
// channels hands the connection over to a WebSocketSession, unless the hub
// refuses upgrades for the moment.
class HttpSession : public std::enable_shared_from_this<HttpSession> {
public:
  HttpSession(boost::asio::ip::tcp::socket socket, const StandinServices& services);

  void start();

private:
  using Request = boost::beast::http::request<boost::beast::http::string_body>;

  void readHead();
  void readRequest(std::string rawHead);
  void handle(const std::string& rawHead);
  void upgrade(WebSocketChannel channel);
  void afterDelay(std::chrono::milliseconds delay, void (HttpSession::*next)());
  void send();
  void holdUntilClientLeaves();
  void close();

  boost::beast::tcp_stream stream_;
  boost::beast::flat_buffer buffer_;
  std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
  boost::beast::http::response<boost::beast::http::string_body> response_;
  RoutedReply reply_;
  ScriptedReply script_;
  boost::asio::steady_timer timer_;
  const StandinServices services_;
};
