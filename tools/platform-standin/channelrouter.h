#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <json/value.h>

#include "framelog.h"
#include "platformdata.h"
#include "websocketchannel.h"
#include "websockethub.h"

class WebSocketSession;

// Answers the frames of the WebSocket channels as the platform does. A read
// request gets the current values of the device it names; a write batch
// stores its values and echoes them on the read channel of the same code; an
// empty frame is the write channel's keep-alive. A request or batch with an
// unknown user_id or token gets the token error instead. Every frame is
// recorded first.
class ChannelRouter {
public:
  ChannelRouter(PlatformData& data, WebSocketHub& hub, FrameLog& frames);

  // The channel a request target such as
  // "/ZirOrurodaz/getDataWebsocket?type=pc&code=7" opens, if any.
  static std::optional<WebSocketChannel> channelOf(std::string_view target);
  // The decoded "code" query of a request target.
  static std::string codeOf(std::string_view target);

  void received(WebSocketSession& from, const std::string& text);
  // Pushes the device's current values on the read channel: to the
  // connections opened with `code`, or to all.
  void pushValues(const std::string& snCode, const std::optional<std::string>& code = std::nullopt) const;

private:
  void answerReadRequest(WebSocketSession& from, const Json::Value& request) const;
  void storeWriteBatch(const WebSocketSession& from, const Json::Value& batch);
  bool knownSession(const Json::Value& message) const;

  PlatformData& data_;
  WebSocketHub& hub_;
  FrameLog& frames_;
};
