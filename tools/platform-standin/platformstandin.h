#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platformdata.h"
#include "platformrouter.h"
#include "replyscripts.h"
#include "requestlog.h"

class HttpListener;

// A stand-in of the cloud platform on one loopback port: the platform's HTTP
// endpoints, answered from its tables, every request recorded, and each
// endpoint scriptable to answer raw text, late, never, or by closing the
// connection. It serves on a thread of its own until it is destroyed.
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

  PlatformData& data() { return data_; }
  ReplyScripts& replies() { return replies_; }
  RequestLog& requests() { return requests_; }

private:
  PlatformData data_;
  ReplyScripts replies_;
  RequestLog requests_;
  PlatformRouter router_{data_};
  std::unique_ptr<HttpListener> listener_;
  std::uint16_t port_ = 0;
};
