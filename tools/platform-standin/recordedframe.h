#pragma once

#include <string>

#include "websocketchannel.h"

// One text frame a client sent on a WebSocket channel, exactly as it arrived.
struct RecordedFrame {
  WebSocketChannel channel = WebSocketChannel::Read;
  std::string code;  // the "code" query of the connection
  std::string text;
};
