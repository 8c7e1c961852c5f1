#include <string>
#include <vector>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platformstandin.h"
#include "startedstandintest.h"

namespace net = boost::asio;
namespace http = boost::beast::http;
using tcp = net::ip::tcp;
using ::testing::ElementsAre;

namespace {

const char* const tables = R"({
  "users": [
    {"user_tel": "13800000000", "password": "demo123", "user_id": 1001, "token": "tok-abc123"},
    {"user_tel": "ann lee", "password": "p&w=1+2%", "user_id": 1002, "token": "tok-ann"}
  ],
  "devices": [{"dev_state": 1, "sn_code": "A1"}],
  "configs": {"A 1": [{"data": [], "type_name": "Analog"}]}
})";

const std::string accepted =
    R"({"meta":{"success":"true","message":"login ok"},"data":{"user_id":1001,"x_Token":"tok-abc123"}})";

std::string refused(const std::string& code) {
  return R"({"meta":{"success":"false","message":")" + code + R"("},"data":null})";
}

std::string request(const std::string& method, const std::string& target, const std::string& headerLines,
                    const std::string& body = "") {
  return method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headerLines +
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Sends the raw request text on one connection and reads `answers` responses.
std::vector<http::response<http::string_body>> exchange(std::uint16_t port, const std::string& requests,
                                                        size_t answers = 1) {
  net::io_context context;
  tcp::socket socket(context);
  socket.connect(tcp::endpoint(net::ip::address_v4::loopback(), port));
  net::write(socket, net::buffer(requests));
  boost::beast::flat_buffer buffer;
  std::vector<http::response<http::string_body>> responses(answers);
  for (auto& response : responses) http::read(socket, buffer, response);
  return responses;
}

std::string answer(std::uint16_t port, const std::string& requestText) { return exchange(port, requestText)[0].body(); }

class PlatformStandinTest : public StartedStandinTest {
protected:
  PlatformStandinTest() : StartedStandinTest(tables) {}
};

}  // namespace

TEST_F(PlatformStandinTest, LoginDecodesTheFormAndAnswersTheRefusalCodes) {
  const struct {
    const char* form;
    const char* requiredCheckNum;
    std::string reply;
  } cases[] = {
      {"user_tel=13800000000&password=demo123&check_num=&code_num=c1&login_type=MPhone", nullptr, accepted},
      {"user_tel=ann+lee&password=p%26w%3D1%2B2%25&check_num=&code_num=c1&login_type=MPhone", nullptr,
       R"({"meta":{"success":"true","message":"login ok"},"data":{"user_id":1002,"x_Token":"tok-ann"}})"},
      {"user_tel=&password=demo123&check_num=&code_num=c1&login_type=MPhone", nullptr, refused("110001")},
      {"user_tel=13800000000&password=&check_num=&code_num=c1&login_type=MPhone", nullptr, refused("110001")},
      {"user_tel=13800000000&password=demo123&check_num=&code_num=c1&login_type=MPhone", "k3x9", refused("110002")},
      {"user_tel=13800000000&password=demo123&check_num=k3x9&code_num=c1&login_type=MPhone", "k3x9", accepted},
      {"user_tel=13800000000&password=demo12&check_num=&code_num=c1&login_type=MPhone", nullptr, refused("110003")},
      {"user_tel=13900000000&password=demo123&check_num=&code_num=c1&login_type=MPhone", nullptr, refused("110003")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.form);
    standin.data().requireCheckNum(c.requiredCheckNum ? std::optional<std::string>(c.requiredCheckNum)
                                                      : std::nullopt);
    EXPECT_EQ(answer(port, request("POST", "/ZirOrurodaz/login", "", c.form)), c.reply);
  }
}

TEST_F(PlatformStandinTest, SessionEndpointsAnswerOnlyAKnownUserAndToken) {
  const struct {
    const char* target;
    std::string reply;
  } endpoints[] = {
      {"/ZirOrurodaz/heart", R"({"meta":{"success":"true","message":"ok"},"data":null})"},
      {"/ZirOrurodaz/dev?usePage=false",
       R"({"meta":{"success":"true","message":"ok"},"data":{"total":1,"rows":[{"sn_code":"A1","dev_state":1}]}})"},
      {"/ZirOrurodaz/rDev/config/A%201",
       R"({"meta":{"success":"true","message":"ok"},"data":[{"type_name":"Analog","data":[]}]})"},
  };
  for (const auto& e : endpoints) {
    SCOPED_TRACE(e.target);
    EXPECT_EQ(answer(port, request("GET", e.target, "X-User:1001\r\nX-Token:tok-abc123\r\n")), e.reply);
    for (const char* wrongSession : {"X-User:0\r\nX-Token:\r\n", "X-User:1001\r\nX-Token:tok-ann\r\n",
                                     "X-User:1003\r\nX-Token:tok-abc123\r\n", ""})
      EXPECT_EQ(answer(port, request("GET", e.target, wrongSession)), refused("100009")) << wrongSession;
  }
}

TEST_F(PlatformStandinTest, RecordsEveryRequestOfAKeptAliveConnectionByteForByte) {
  const std::string first = "GET /ZirOrurodaz/dev?usePage=false HTTP/1.1\r\nHost: x\r\nX-User:1001\r\nX-Token:\r\n"
                            "X-Odd:  two  blanks \r\n\r\n";
  const std::string second = request("POST", "/ZirOrurodaz/heart", "X-User: 1001\r\n", "userName=a%26b");
  const auto responses = exchange(port, first + second, 2);
  EXPECT_EQ(responses[1].body(), refused("100009"));

  const std::vector<RecordedRequest> log = standin.requests().all();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].method, "GET");
  EXPECT_EQ(log[0].target, "/ZirOrurodaz/dev?usePage=false");
  EXPECT_EQ(log[0].requestLine, "GET /ZirOrurodaz/dev?usePage=false HTTP/1.1");
  EXPECT_THAT(log[0].headerLines, ElementsAre("Host: x", "X-User:1001", "X-Token:", "X-Odd:  two  blanks "));
  EXPECT_EQ(log[0].body, "");
  EXPECT_EQ(log[1].requestLine, "POST /ZirOrurodaz/heart HTTP/1.1");
  EXPECT_THAT(log[1].headerLines, ElementsAre("Host: 127.0.0.1", "X-User: 1001", "Content-Length: 14"));
  EXPECT_EQ(log[1].body, "userName=a%26b");
}

TEST_F(PlatformStandinTest, ServesTheDemoDataFileInThePlatformsKeyOrder) {
  standin.data().loadFile(PLATFORM_STANDIN_DEMO_DATA);
  const std::string rows = answer(port, request("GET", "/ZirOrurodaz/dev", "X-User:1001\r\nX-Token:tok-abc123\r\n"));
  EXPECT_EQ(rows.rfind(R"({"meta":{"success":"true","message":"ok"},"data":{"total":2,"rows":[{"sn_code":"A1",)"
                       R"("dev_uuid":"u-0001","dev_ip":"192.0.2.15",)",
                       0),
            0u)
      << rows;
  const std::string config =
      answer(port, request("GET", "/ZirOrurodaz/rDev/config/A1", "X-User:1001\r\nX-Token:tok-abc123\r\n"));
  EXPECT_EQ(config.rfind(R"({"meta":{"success":"true","message":"ok"},"data":[{"type_name":"Analog","data":[)"
                         R"({"sn_code":"A1","data_name":"Temp","data_unit":"C","data_type":10,"data_writeable":1,)"
                         R"("data_min":"-40","data_max":"125","data_code":1,"dev_version":0},)",
                         0),
            0u)
      << config;
}

TEST_F(PlatformStandinTest, RejectsDataOfTheWrongShapeAndKeepsItsTables) {
  for (const char* document : {"not json", "[]", R"({"users":{}})", R"({"users":[{"user_tel":"a"}]})",
                               R"({"users":[{"user_tel":"a","password":"b","user_id":"1","token":"t"}]})",
                               R"({"devices":{}})", R"({"configs":{"A1":{}}})"}) {
    EXPECT_THROW(standin.data().loadJson(document), std::runtime_error) << document;
  }
  EXPECT_EQ(answer(port, request("POST", "/ZirOrurodaz/login", "",
                                 "user_tel=13800000000&password=demo123&check_num=&code_num=c1&login_type=MPhone")),
            accepted);
}
