#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include "standinservices.h"

// Accepts connections on one loopback port and serves each in an HttpSession,
// all on one thread of its own. Destroying it stops the thread and drops every
// open connection.
class HttpListener {
public:
  explicit HttpListener(const StandinServices& services);
  ~HttpListener();
  HttpListener(const HttpListener&) = delete;
  HttpListener& operator=(const HttpListener&) = delete;

  // Listens on 127.0.0.1:`port` (0 picks a free port) and starts serving;
  // returns the port. Throws boost::system::system_error when it cannot bind.
  std::uint16_t listen(std::uint16_t port);
  // Runs `task` on the server thread every `period` from now on.
  void every(std::chrono::milliseconds period, std::function<void()> task);

private:
  void accept();

  boost::asio::io_context ioContext_{1};
  boost::asio::ip::tcp::acceptor acceptor_{ioContext_};
  std::thread thread_;
  const StandinServices services_;
};
