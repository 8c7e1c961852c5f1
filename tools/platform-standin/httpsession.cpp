#include "httpsession.h"

#include <string_view>

#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/websocket/rfc6455.hpp>

#include "websocketsession.h"

namespace beast = boost::beast;
namespace http = beast::http;
using tcp = boost::asio::ip::tcp;

namespace {

constexpr std::size_t maxHeadBytes = 8 * 1024;
constexpr std::size_t readChunk = 4096;
constexpr std::string_view headEnd = "\r\n\r\n";

RecordedRequest recordOf(const std::string& rawHead, const http::request<http::string_body>& request) {
  RecordedRequest record;
  record.method = std::string(request.method_string());
  record.target = std::string(request.target());
  std::string_view rest = rawHead;
  size_t lineEnd = rest.find("\r\n");
  record.requestLine = std::string(rest.substr(0, lineEnd));
  while (lineEnd != std::string_view::npos) {
    rest = rest.substr(lineEnd + 2);
    lineEnd = rest.find("\r\n");
    record.headerLines.emplace_back(rest.substr(0, lineEnd));
  }
  record.body = request.body();
  return record;
}

}  // namespace

HttpSession::HttpSession(tcp::socket socket, const StandinServices& services)
    : stream_(std::move(socket)), timer_(stream_.get_executor()), services_(services) {}

void HttpSession::start() { readHead(); }

// Gathers bytes until the blank line that ends the request head, so the head
// can be logged byte for byte before the parser consumes it.
void HttpSession::readHead() {
  const std::string_view pending(static_cast<const char*>(buffer_.data().data()), buffer_.size());
  const size_t end = pending.find(headEnd);
  if (end != std::string_view::npos) return readRequest(std::string(pending.substr(0, end)));
  if (buffer_.size() > maxHeadBytes) return close();
  stream_.async_read_some(buffer_.prepare(readChunk), [self = shared_from_this()](beast::error_code ec, size_t bytes) {
    if (ec) return self->close();
    self->buffer_.commit(bytes);
    self->readHead();
  });
}

void HttpSession::readRequest(std::string rawHead) {
  parser_.emplace();
  parser_->header_limit(maxHeadBytes + headEnd.size());
  http::async_read(stream_, buffer_, *parser_,
                   [self = shared_from_this(), head = std::move(rawHead)](beast::error_code ec, size_t) {
                     if (ec) return self->close();
                     self->handle(head);
                   });
}

void HttpSession::handle(const std::string& rawHead) {
  const Request& request = parser_->get();
  services_.requests.add(recordOf(rawHead, request));
  // The platform's WebSocket channels share this port.
  const std::optional<WebSocketChannel> channel = ChannelRouter::channelOf(request.target());
  if (channel && beast::websocket::is_upgrade(request)) return upgrade(*channel);
  reply_ = services_.router.route(request);
  script_ = services_.scripts.get(reply_.endpoint);
  switch (script_.action) {
    case ScriptedReply::Action::Hold:
      return holdUntilClientLeaves();
    case ScriptedReply::Action::Close:
      return afterDelay(script_.delay, &HttpSession::close);
    case ScriptedReply::Action::Answer:
      return afterDelay(script_.delay, &HttpSession::send);
  }
}

void HttpSession::upgrade(WebSocketChannel channel) {
  if (services_.webSockets.refusingUpgrades()) {
    reply_ = {StandinEndpoint::Other, 503, "text/plain;charset=UTF-8", "upgrades refused for now"};
    script_ = {};
    return send();
  }
  const std::string code = ChannelRouter::codeOf(parser_->get().target());
  std::make_shared<WebSocketSession>(std::move(stream_), channel, code, services_.channels, services_.webSockets)
      ->start(parser_->get());
}

void HttpSession::afterDelay(std::chrono::milliseconds delay, void (HttpSession::*next)()) {
  if (delay.count() <= 0) return (this->*next)();
  timer_.expires_after(delay);
  timer_.async_wait([self = shared_from_this(), next](beast::error_code ec) {
    if (ec) return self->close();
    ((*self).*next)();
  });
}

void HttpSession::send() {
  const Request& request = parser_->get();
  if (script_.body) {
    reply_.body = *script_.body;
    reply_.contentType = "text/plain;charset=UTF-8";
  }
  response_ = {};
  response_.version(request.version());
  response_.result(script_.status.value_or(reply_.status));
  response_.set(http::field::content_type, reply_.contentType);
  response_.body() = std::move(reply_.body);
  response_.keep_alive(request.keep_alive());
  response_.prepare_payload();
  http::async_write(stream_, response_, [self = shared_from_this()](beast::error_code ec, size_t) {
    if (ec || !self->response_.keep_alive()) return self->close();
    self->readHead();
  });
}

// Never answers; reads and drops whatever comes until the client goes away.
void HttpSession::holdUntilClientLeaves() {
  buffer_.clear();
  stream_.async_read_some(buffer_.prepare(readChunk), [self = shared_from_this()](beast::error_code ec, size_t) {
    if (ec) return self->close();
    self->holdUntilClientLeaves();
  });
}

void HttpSession::close() {
  beast::error_code ignored;
  stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
  stream_.socket().close(ignored);
}
