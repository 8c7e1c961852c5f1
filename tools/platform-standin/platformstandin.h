#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "channelrouter.h"
#include "framelog.h"
#include "platformdata.h"
#include "platformrouter.h"
#include "replyscripts.h"
#include "requestlog.h"
#include "valuesimulation.h"
#include "websockethub.h"

class HttpListener;

// A stand-in of the cloud platform on one loopback port: the platform's HTTP
// endpoints, answered from its tables, every request recorded, and each
// endpoint scriptable to answer raw text, late, never, or by closing the
// connection; and its two WebSocket channels on the same port, every frame
// recorded, with pushes, dropped connections and refused upgrades on command.
// It serves on a thread of its own until it is destroyed.
class PlatformStandin {
public:
  PlatformStandin();
  ~PlatformStandin();
  PlatformStandin(const PlatformStandin&) = delete;
  PlatformStandin& operator=(const PlatformStandin&) = delete;

  // Starts serving on 127.0.0.1:`port`; 0 picks a free port. Returns the port.
  std::uint16_t start(std::uint16_t port = 0);
  // "127.0.0.1:<port>", the server address a client puts into its URLs.
  std::string address() const;
  // From now on, once every `period`, moves the values of the variables and
  // pushes each changed device on the read channel. Needs a started stand-in.
  void simulateValues(std::chrono::milliseconds period);

  PlatformData& data() { return data_; }
  ReplyScripts& replies() { return replies_; }
  RequestLog& requests() { return requests_; }
  FrameLog& frames() { return frames_; }
  WebSocketHub& webSockets() { return webSockets_; }
  // Pushes a device's current values on the read channel, to the connections
  // of one "code" or to all.
  void pushValues(const std::string& snCode, const std::optional<std::string>& code = std::nullopt) const;

private:
  PlatformData data_;
  ReplyScripts replies_;
  RequestLog requests_;
  FrameLog frames_;
  WebSocketHub webSockets_;
  PlatformRouter router_{data_};
  ChannelRouter channels_{data_, webSockets_, frames_};
  ValueSimulation simulation_{data_};
  std::unique_ptr<HttpListener> listener_;
  std::uint16_t port_ = 0;
};
