#pragma once

#include <string_view>

#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>

#include "platformdata.h"
#include "routedreply.h"

// Answers each HTTP endpoint as the platform does: the code image, the login
// form with its error codes, and the heartbeat, device list and configuration
// for a known X-User/X-Token pair (an unknown pair gets the "100009" envelope).
class PlatformRouter {
public:
  using Request = boost::beast::http::request<boost::beast::http::string_body>;

  explicit PlatformRouter(const PlatformData& data);

  RoutedReply route(const Request& request) const;
  static StandinEndpoint endpointOf(std::string_view path);

private:
  std::string login(const std::string& formBody) const;
  // The answer of an endpoint that needs a known X-User/X-Token pair.
  std::string sessionReply(StandinEndpoint endpoint, std::string_view path) const;
  bool knownSession(const Request& request) const;

  const PlatformData& data_;
};
