#include "httplistener.h"

#include <memory>

#include "httpsession.h"

namespace net = boost::asio;
using tcp = net::ip::tcp;

HttpListener::HttpListener(const PlatformRouter& router, const ReplyScripts& scripts, RequestLog& log)
    : router_(router), scripts_(scripts), log_(log) {}

HttpListener::~HttpListener() {
  ioContext_.stop();
  if (thread_.joinable()) thread_.join();
}

std::uint16_t HttpListener::listen(std::uint16_t port) {
  const tcp::endpoint endpoint(net::ip::address_v4::loopback(), port);
  acceptor_.open(endpoint.protocol());
  acceptor_.set_option(net::socket_base::reuse_address(true));
  acceptor_.bind(endpoint);
  acceptor_.listen();
  accept();
  thread_ = std::thread([this] { ioContext_.run(); });
  return acceptor_.local_endpoint().port();
}

void HttpListener::accept() {
  acceptor_.async_accept([this](boost::system::error_code ec, tcp::socket socket) {
    if (ec) return;
    std::make_shared<HttpSession>(std::move(socket), router_, scripts_, log_)->start();
    accept();
  });
}
