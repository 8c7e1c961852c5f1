#include "platformstandin.h"

#include "httplistener.h"

PlatformStandin::PlatformStandin() = default;

PlatformStandin::~PlatformStandin() = default;

std::uint16_t PlatformStandin::start(std::uint16_t port) {
  listener_ = std::make_unique<HttpListener>(router_, replies_, requests_);
  port_ = listener_->listen(port);
  return port_;
}

std::string PlatformStandin::address() const { return "127.0.0.1:" + std::to_string(port_); }
