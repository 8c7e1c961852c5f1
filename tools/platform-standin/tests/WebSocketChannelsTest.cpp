#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/websocket/stream.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platformstandin.h"
#include "startedstandintest.h"

namespace net = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = net::ip::tcp;
using ::testing::ElementsAre;
using ::testing::Field;

namespace {

const char* const tables = R"({
  "users": [{"user_tel": "13800000000", "password": "demo123", "user_id": 1001, "token": "tok-abc123"}],
  "configs": {"A1": [
    {"type_name": "Analog", "data": [
      {"sn_code": "A1", "data_type": 10, "data_min": "-40", "data_max": "125", "data_code": 1, "dev_version": 0},
      {"sn_code": "A1", "data_type": 2, "data_min": "0", "data_max": "100", "data_code": 2, "dev_version": 1}]},
    {"type_name": "Switch", "data": [
      {"sn_code": "A1", "data_type": -1, "data_min": "0", "data_max": "1", "data_code": 10, "dev_version": 0}]}]},
  "values": {"A1": {"1": "23.5", "2": "99", "10": "1"}, "B2": {"1": "7"}}
})";

const std::string tokenError = R"({"meta":{"success":"false","message":"100009"},"data":null})";

std::string readTarget(const std::string& code) { return "/ZirOrurodaz/getDataWebsocket?type=pc&code=" + code; }
std::string writeTarget(const std::string& code) { return "/ZirOrurodaz/websocketTest?type=pc&code=" + code; }

std::string readRequest(const std::string& userId, const std::string& token, const std::string& dataCode) {
  return R"({"req_type":1,"user_id":)" + userId + R"(,"user_token":")" + token +
         R"(","devRealData":[{"sn_code":"A1","data_code":")" + dataCode + R"("}]})";
}

std::string pushed(const std::string& device) {
  return R"({"meta":{"success":"true","message":""},"data":{"A1":)" + device + "}}";
}

// The client end of one channel. Waiting for a frame is bounded, so a frame
// that never comes fails the test instead of hanging it.
class ChannelClient {
public:
  ChannelClient(std::uint16_t port, const std::string& target) : socket_(context_) {
    socket_.next_layer().connect(tcp::endpoint(net::ip::address_v4::loopback(), port));
    socket_.handshake("127.0.0.1", target);
    socket_.text(true);
  }

  void send(const std::string& text) { socket_.write(net::buffer(text)); }

  std::string receive() {
    beast::flat_buffer buffer;
    std::optional<beast::error_code> result;
    socket_.async_read(buffer, [&](beast::error_code ec, std::size_t) { result = ec; });
    context_.restart();
    context_.run_for(std::chrono::seconds(10));
    if (!result || *result) {
      ADD_FAILURE() << "no frame arrived";
      return {};
    }
    return beast::buffers_to_string(buffer.data());
  }

private:
  net::io_context context_;
  websocket::stream<tcp::socket> socket_;
};

class WebSocketChannelsTest : public StartedStandinTest {
protected:
  WebSocketChannelsTest() : StartedStandinTest(tables) {}
};

}  // namespace

TEST_F(WebSocketChannelsTest, ReadRequestsGetTheNamedValuesOrTheTokenErrorAndAreRecorded) {
  ChannelClient read(port, readTarget("7"));
  const std::string all = readRequest("1001", "tok-abc123", "");
  const std::string one = readRequest("1001", "tok-abc123", "2");
  const std::string noSession = readRequest("0", "", "");

  read.send(all);
  EXPECT_EQ(read.receive(), pushed(R"({"1":"23.5","10":"1","2":"99"})"));
  read.send(one);
  EXPECT_EQ(read.receive(), pushed(R"({"2":"99"})"));
  read.send(noSession);
  EXPECT_EQ(read.receive(), tokenError);
  standin.data().rotateToken("13800000000");
  read.send(all);
  EXPECT_EQ(read.receive(), tokenError);

  EXPECT_THAT(standin.frames().all(),
              ElementsAre(Field(&RecordedFrame::text, all), Field(&RecordedFrame::text, one),
                          Field(&RecordedFrame::text, noSession), Field(&RecordedFrame::text, all)));
  for (const RecordedFrame& frame : standin.frames().all()) {
    EXPECT_EQ(frame.channel, WebSocketChannel::Read);
    EXPECT_EQ(frame.code, "7");
  }
}

TEST_F(WebSocketChannelsTest, WriteBatchIsStoredAndEchoedOnTheReadChannelOfItsCode) {
  ChannelClient read(port, readTarget("7"));
  ChannelClient otherRead(port, readTarget("8"));
  ChannelClient write(port, writeTarget("7"));

  write.send("");
  write.send(R"({"batch_flag":true,"data_list":[{"data":"55","data_code":"2","sn_code":"A1"}],)"
             R"("req_type":1,"user_id":1001,"user_token":"tok-abc123"})"
             "\n");
  EXPECT_EQ(read.receive(), pushed(R"({"1":"23.5","10":"1","2":"55"})"));
  EXPECT_EQ(standin.data().values().device("A1").at("2"), "55");

  // The other code got no echo: the first frame it sees is a later push to all.
  ASSERT_EQ(standin.webSockets().push(WebSocketChannel::Read, "to all"), 2u);
  EXPECT_EQ(otherRead.receive(), "to all");

  // Nor did the keep-alive get an answer: the first frame on the write channel
  // is the answer to a batch with an unknown token.
  write.send(R"({"batch_flag":true,"data_list":[],"req_type":1,"user_id":1001,"user_token":"old"})"
             "\n");
  EXPECT_EQ(write.receive(), tokenError);
  EXPECT_THAT(standin.frames().all(), ::testing::Contains(::testing::AllOf(
                                          Field(&RecordedFrame::channel, WebSocketChannel::Write),
                                          Field(&RecordedFrame::code, "7"), Field(&RecordedFrame::text, ""))));
}

// A greeting goes to each connection of its channel opened while it is set,
// first of all, and to no other.
TEST_F(WebSocketChannelsTest, NewConnectionsOfAGreetedChannelGetTheGreetingFirst) {
  standin.webSockets().greetNewConnections(WebSocketChannel::Read, tokenError);
  ChannelClient greeted(port, readTarget("7"));
  ChannelClient write(port, writeTarget("7"));
  EXPECT_EQ(greeted.receive(), tokenError);
  standin.webSockets().greetNewConnections(WebSocketChannel::Read, std::nullopt);
  ChannelClient later(port, readTarget("8"));

  // A client hears of its handshake before the stand-in lists the connection:
  // each push goes once the connection it is meant for is listed.
  const auto pushOnce = [&](WebSocketChannel channel, const std::string& text, const std::string& code) {
    for (int i = 0; i < 1000 && standin.webSockets().push(channel, text, code) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  };
  pushOnce(WebSocketChannel::Read, "to the later one", "8");
  EXPECT_EQ(later.receive(), "to the later one");
  pushOnce(WebSocketChannel::Write, "write side", "7");
  EXPECT_EQ(write.receive(), "write side");
}

TEST_F(WebSocketChannelsTest, SimulationWalksNumbersWithinTheirRangeKeepsSwitchesAndPushesChanges) {
  ValueSimulation simulation(standin.data());
  EXPECT_THAT(simulation.step(), ElementsAre("A1"));
  // An integer at the top of its range turns back.
  EXPECT_EQ(standin.data().values().device("A1").at("2"), "96");
  for (int i = 0; i < 200; ++i) simulation.step();
  const DeviceValues::Values values = standin.data().values().device("A1");
  const double temperature = std::strtod(values.at("1").c_str(), nullptr);
  EXPECT_GE(temperature, -40);
  EXPECT_LE(temperature, 125);
  EXPECT_EQ(values.at("2").find('.'), std::string::npos);
  EXPECT_EQ(values.at("10"), "1");
  EXPECT_EQ(standin.data().values().device("B2").at("1"), "7");

  ChannelClient read(port, readTarget("7"));
  standin.simulateValues(std::chrono::milliseconds(10));
  EXPECT_THAT(read.receive(), ::testing::StartsWith(R"({"meta":{"success":"true","message":""},"data":{"A1":{)"));
}

TEST_F(WebSocketChannelsTest, AClientThatStopsReadingIsDroppedOnceItsQueueIsFull) {
  standin.webSockets().limitSendQueue(1024 * 1024);
  ChannelClient reading(port, readTarget("7"));
  ChannelClient stalled(port, readTarget("8"));
  const auto waitFor = [&](std::size_t connections) {
    for (int i = 0; i < 1000 && standin.webSockets().openConnections(WebSocketChannel::Read) != connections; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return standin.webSockets().openConnections(WebSocketChannel::Read) == connections;
  };
  ASSERT_TRUE(waitFor(2));

  // Far more than the socket buffers and the queue hold; only the stalled
  // connection is pushed to, until it is gone.
  const std::string frame(64 * 1024, 'x');
  for (int i = 0; i < 1024 && standin.webSockets().push(WebSocketChannel::Read, frame, "8") == 1; ++i)
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  EXPECT_TRUE(waitFor(1));

  // The stand-in serves on.
  ASSERT_EQ(standin.webSockets().push(WebSocketChannel::Read, "still here"), 1u);
  EXPECT_EQ(reading.receive(), "still here");
}
