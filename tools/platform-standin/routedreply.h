#pragma once

#include <string>

#include "standinendpoint.h"

// The platform's answer to one request, before any scripted change.
struct RoutedReply {
  StandinEndpoint endpoint = StandinEndpoint::Other;
  unsigned status = 200;
  std::string contentType;
  std::string body;
};
