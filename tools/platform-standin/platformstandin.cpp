#include "platformstandin.h"

#include <stdexcept>

#include "httplistener.h"

PlatformStandin::PlatformStandin() = default;

PlatformStandin::~PlatformStandin() = default;

std::uint16_t PlatformStandin::start(std::uint16_t port) {
  listener_ = std::make_unique<HttpListener>(StandinServices{router_, replies_, requests_, channels_, webSockets_});
  port_ = listener_->listen(port);
  return port_;
}

std::string PlatformStandin::address() const { return "127.0.0.1:" + std::to_string(port_); }

void PlatformStandin::simulateValues(std::chrono::milliseconds period) {
  if (!listener_) throw std::logic_error("the stand-in simulates values only once it is started");
  listener_->every(period, [this] {
    for (const std::string& snCode : simulation_.step()) channels_.pushValues(snCode);
  });
}

void PlatformStandin::pushValues(const std::string& snCode, const std::optional<std::string>& code) const {
  channels_.pushValues(snCode, code);
}
