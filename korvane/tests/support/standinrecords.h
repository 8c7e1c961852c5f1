#pragma once

#include <string>
#include <vector>

#include "platformstandin.h"

// How many requests with this request line the stand-in received.
int requestCount(PlatformStandin& standin, const std::string& requestLine);
// The texts of the frames the stand-in received on one channel, in order.
std::vector<std::string> frameTexts(PlatformStandin& standin, WebSocketChannel channel);
