#include "websocketsession.h"

#include <boost/asio/post.hpp>
#include <boost/beast/core/buffers_to_string.hpp>

#include "channelrouter.h"
#include "websockethub.h"

namespace beast = boost::beast;
namespace websocket = beast::websocket;
namespace net = boost::asio;

WebSocketSession::WebSocketSession(beast::tcp_stream stream, WebSocketChannel channel, std::string code,
                                   ChannelRouter& router, WebSocketHub& hub)
    : socket_(std::move(stream)), channel_(channel), code_(std::move(code)), router_(router), hub_(hub) {}

void WebSocketSession::start(const Upgrade& upgrade) {
  // A channel may stay quiet for long (the write channel's keep-alive comes
  // once a minute), so only the handshake is bounded.
  beast::get_lowest_layer(socket_).expires_never();
  socket_.set_option(websocket::stream_base::timeout{std::chrono::seconds(30), websocket::stream_base::none(), false});
  socket_.text(true);
  socket_.async_accept(upgrade, [self = shared_from_this()](beast::error_code ec) {
    if (ec) return self->finish();
    self->hub_.add(self);
    if (std::optional<std::string> greeting = self->hub_.greeting(self->channel_)) self->send(std::move(*greeting));
    self->read();
  });
}

void WebSocketSession::send(std::string text) {
  net::post(socket_.get_executor(), [self = shared_from_this(), text = std::move(text)]() mutable {
    if (self->finished_) return;
    if (self->outboxBytes_ + text.size() > self->hub_.sendQueueLimit()) return self->close();
    self->outboxBytes_ += text.size();
    self->outbox_.push_back(std::move(text));
    if (self->outbox_.size() == 1) self->writeNext();
  });
}

void WebSocketSession::drop() {
  net::post(socket_.get_executor(), [self = shared_from_this()] { self->close(); });
}

void WebSocketSession::close() {
  beast::error_code ignored;
  auto& tcp = beast::get_lowest_layer(socket_).socket();
  tcp.shutdown(net::ip::tcp::socket::shutdown_both, ignored);
  tcp.close(ignored);
  // A write under way still reads the front frame until it is aborted, so
  // the frames go with the session.
  finish();
}

void WebSocketSession::read() {
  socket_.async_read(buffer_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec) return self->finish();
    const std::string text = beast::buffers_to_string(self->buffer_.data());
    self->buffer_.consume(self->buffer_.size());
    self->router_.received(*self, text);
    self->read();
  });
}

void WebSocketSession::writeNext() {
  socket_.async_write(net::buffer(outbox_.front()), [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec) return self->finish();
    self->outboxBytes_ -= self->outbox_.front().size();
    self->outbox_.pop_front();
    if (!self->outbox_.empty() && !self->finished_) self->writeNext();
  });
}

void WebSocketSession::finish() {
  if (finished_) return;
  finished_ = true;
  hub_.remove(this);
}
