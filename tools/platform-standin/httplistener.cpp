#include "httplistener.h"

#include <memory>

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>

#include "httpsession.h"

namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {

void repeatAfter(const std::shared_ptr<net::steady_timer>& timer, std::chrono::milliseconds period,
                 const std::function<void()>& task) {
  timer->expires_after(period);
  timer->async_wait([timer, period, task](boost::system::error_code ec) {
    if (ec) return;
    task();
    repeatAfter(timer, period, task);
  });
}

}  // namespace

HttpListener::HttpListener(const StandinServices& services) : services_(services) {}

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
    std::make_shared<HttpSession>(std::move(socket), services_)->start();
    accept();
  });
}

void HttpListener::every(std::chrono::milliseconds period, std::function<void()> task) {
  net::post(ioContext_, [this, period, task = std::move(task)] {
    repeatAfter(std::make_shared<net::steady_timer>(ioContext_), period, task);
  });
}
