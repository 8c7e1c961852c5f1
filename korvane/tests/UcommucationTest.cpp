#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platformstandin.h"
#include "platformurls.h"
#include "support/messagecapture.h"
#include "support/waituntil.h"
#include "ucommucation.h"
#include "ujsonparser.h"

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

const char* const tables = R"({
  "users": [
    {"user_tel": "13800000000", "password": "demo123", "user_id": 1001, "token": "tok-abc123"},
    {"user_tel": "ann lee", "password": "p&w=1+2%", "user_id": 1002, "token": "tok-ann"}
  ],
  "devices": [{"sn_code": "B2", "dev_state": 0}, {"sn_code": "A1", "dev_state": 1}],
  "configs": {
    "A1": [{"type_name": "Analog", "data": [{"sn_code": "A1", "data_name": "Temp", "data_type": 10, "data_code": 1}]}],
    "A 1/?x": [{"type_name": "Odd", "data": []}]
  }
})";

const LoginSession loggedIn{"13800000000", "true", "login ok", 1001, "tok-abc123"};
const LoginForm plainForm{"13800000000", "demo123", "", "0123456789abcdefghij"};
const char* const formContentType = "Content-Type:application/x-www-form-urlencoded;charset=UTF-8";
const QString unknownSession = R"({"meta":{"success":"false","message":"100009"},"data":null})";

// A loopback port that is bound but not listening: connecting to it is refused.
class RefusingPort {
public:
  RefusingPort() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~RefusingPort() { ::close(socket_); }
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
  int socket_;
  std::uint16_t port_ = 0;
};

void pointAt(const std::string& address) {
  g_serverAddress = QString::fromStdString(address);
  buildPlatformUrls();
}

class UcommucationTest : public ::testing::Test {
protected:
  void SetUp() override {
    standin.data().loadJson(tables);
    standin.start();
    pointAt(standin.address());
  }

  RecordedRequest onlyRequest() {
    const std::vector<RecordedRequest> all = standin.requests().all();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? RecordedRequest() : all.back();
  }

  PlatformStandin standin;
  const ujsonparser parser;
};

}  // namespace

TEST_F(UcommucationTest, CodeImageIsFetchedWithItsHeadersAndDecodesAsJpeg) {
  const QByteArray image = ucommucation::getIdentyfy(g_loginCodeUrl, "0123456789abcdefghij");

  const RecordedRequest request = onlyRequest();
  EXPECT_EQ(request.requestLine, "GET /ZirOrurodaz/login/0123456789abcdefghij HTTP/1.1");
  EXPECT_THAT(request.headerLines, Contains("Content-Type: application/json;charset=UTF-8"));
  EXPECT_THAT(request.headerLines, Contains("Accept-Encoding: UTF-8"));
  EXPECT_FALSE(QImage::fromData(image, "jpg").isNull());
}

TEST_F(UcommucationTest, LoginPostsTheFormWithItsHeaders) {
  const LoginSession session = parser.parseLoginReply(ucommucation::loginRequest(plainForm));

  const RecordedRequest request = onlyRequest();
  EXPECT_EQ(request.requestLine, "POST /ZirOrurodaz/login HTTP/1.1");
  EXPECT_THAT(request.headerLines, Contains("Content-Type: application/x-www-form-urlencoded;charset=UTF-8"));
  EXPECT_THAT(request.headerLines, Contains("Accept-Encoding: UTF-8"));
  EXPECT_EQ(request.body,
            "user_tel=13800000000&password=demo123&check_num=&code_num=0123456789abcdefghij&login_type=MPhone");
  EXPECT_EQ(session.success, "true");
  EXPECT_EQ(session.user_id, 1001);
  EXPECT_EQ(session.token, "tok-abc123");
}

TEST_F(UcommucationTest, LoginPercentEncodesEachFormValue) {
  const LoginSession session =
      parser.parseLoginReply(ucommucation::loginRequest({"ann lee", "p&w=1+2%", "x=y", "c1"}));

  EXPECT_EQ(onlyRequest().body,
            "user_tel=ann%20lee&password=p%26w%3D1%2B2%25&check_num=x%3Dy&code_num=c1&login_type=MPhone");
  EXPECT_EQ(session.success, "true");
  EXPECT_EQ(session.user_id, 1002);
}

TEST_F(UcommucationTest, AuthenticatedRequestsCarryTheThreeHeaderLinesBeforeAndAfterLogin) {
  const struct {
    const char* name;
    std::function<QString(const LoginSession&)> send;
    std::string requestLine;
    std::string body;
  } requests[] = {
      {"heartbeat", [](const LoginSession& s) { return ucommucation::heartpackageRequest(plainForm, s); },
       "POST /ZirOrurodaz/heart HTTP/1.1", "userName=13800000000"},
      {"device list", [](const LoginSession& s) { return ucommucation::deviceListRequest(s); },
       "GET /ZirOrurodaz/dev?usePage=false HTTP/1.1", ""},
      {"configuration", [](const LoginSession& s) { return ucommucation::realtimeConfRequest(s, "A1"); },
       "GET /ZirOrurodaz/rDev/config/A1 HTTP/1.1", ""},
  };
  const struct {
    const char* name;
    LoginSession session;
    const char* userLine;
    const char* tokenLine;
    bool known;
  } sessions[] = {
      {"logged in", loggedIn, "X-User:1001", "X-Token:tok-abc123", true},
      {"before login", LoginSession(), "X-User:0", "X-Token:", false},
  };
  for (const auto& s : sessions) {
    for (const auto& r : requests) {
      SCOPED_TRACE(std::string(r.name) + ", " + s.name);
      standin.requests().clear();
      const QString reply = r.send(s.session);

      const RecordedRequest request = onlyRequest();
      EXPECT_EQ(request.requestLine, r.requestLine);
      EXPECT_EQ(request.body, r.body);
      EXPECT_THAT(request.headerLines, Contains(formContentType));
      EXPECT_THAT(request.headerLines, Contains(s.userLine));
      EXPECT_THAT(request.headerLines, Contains(s.tokenLine));
      EXPECT_EQ(std::count_if(request.headerLines.begin(), request.headerLines.end(),
                              [](const std::string& line) { return line.rfind("Content-Type", 0) == 0; }),
                1);
      if (s.known) {
        EXPECT_THAT(reply.toStdString(), StartsWith(R"({"meta":{"success":"true")"));
      } else {
        EXPECT_EQ(reply, unknownSession);
      }
    }
  }
}

TEST_F(UcommucationTest, ValuesAreEncodedForTheirPlaceInTheRequest) {
  LoginForm form = plainForm;
  form.user_tel = "a&b=c d";
  ucommucation::heartpackageRequest(form, loggedIn);
  EXPECT_EQ(onlyRequest().body, "userName=a%26b%3Dc%20d");

  standin.requests().clear();
  const DevConfig config = parser.parseRealtimeConf(ucommucation::realtimeConfRequest(loggedIn, "A 1/?x"), "A 1/?x");
  EXPECT_EQ(onlyRequest().requestLine, "GET /ZirOrurodaz/rDev/config/A%201%2F%3Fx HTTP/1.1");
  ASSERT_EQ(config.group_count, 1);
  EXPECT_EQ(config.groups[0].type_name, "Odd");

  standin.requests().clear();
  LoginSession forged = loggedIn;
  forged.token = QString::fromLatin1("tok\r\nX-Injected: 1\n\0", 20);
  ucommucation::deviceListRequest(forged);
  const RecordedRequest request = onlyRequest();
  EXPECT_THAT(request.headerLines, Contains("X-Token:tokX-Injected: 1"));
  EXPECT_THAT(request.headerLines, Not(Contains("X-Injected: 1")));
}

TEST_F(UcommucationTest, RepliesReachTheParsersAndTheConfigurationUrlIsLogged) {
  EXPECT_EQ(parser.parseDeviceList(ucommucation::deviceListRequest(loggedIn)).keys(), (QStringList{"A1", "B2"}));

  MessageCapture capture;
  const DevConfig config = parser.parseRealtimeConf(ucommucation::realtimeConfRequest(loggedIn, "A1"), "A1");
  ASSERT_EQ(config.group_count, 1);
  EXPECT_EQ(config.groups[0].variables[0].data_name, "Temp");
  ASSERT_FALSE(capture.lines().isEmpty());
  EXPECT_THAT(capture.lines().first().toStdString(),
              HasSubstr(" ucommucation::realtimeConfRequest "));
  EXPECT_THAT(capture.lines().first().toStdString(),
              HasSubstr("> " + (g_realtimeConfUrl + "/A1").toStdString()));
}

TEST_F(UcommucationTest, HttpErrorBodiesAreReturnedAsTheBody) {
  const struct {
    StandinEndpoint endpoint;
    unsigned status;
    std::function<QByteArray()> send;
  } requests[] = {
      {StandinEndpoint::CodeImage, 404, [] { return ucommucation::getIdentyfy(g_loginCodeUrl, "c1"); }},
      {StandinEndpoint::Login, 500, [] { return ucommucation::loginRequest(plainForm).toUtf8(); }},
      {StandinEndpoint::Heart, 404, [] { return ucommucation::heartpackageRequest(plainForm, loggedIn).toUtf8(); }},
      {StandinEndpoint::DeviceList, 500, [] { return ucommucation::deviceListRequest(loggedIn).toUtf8(); }},
      {StandinEndpoint::DeviceConfig, 503,
       [] { return ucommucation::realtimeConfRequest(loggedIn, "A1").toUtf8(); }},
  };
  for (const auto& r : requests) {
    const std::string body = "failure " + std::to_string(r.status);
    standin.replies().set(r.endpoint, ScriptedReply::rawText(body, r.status));
    EXPECT_EQ(r.send().toStdString(), body);
  }
}

TEST_F(UcommucationTest, CodeImageGivesUpWhenNothingComesInItsTimeLimit) {
  standin.replies().set(StandinEndpoint::CodeImage, ScriptedReply::silent());
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(ucommucation::getIdentyfy(g_loginCodeUrl, "c1").isEmpty());
  EXPECT_GE(clock.elapsed(), 1000);
  EXPECT_LT(clock.elapsed(), 15000);
}

// The login waits in a nested event loop: other timers keep firing, a slow
// answer is still taken, and a server that never answers is left after the
// time limit with whatever arrived (nothing).
TEST_F(UcommucationTest, LoginWaitIsBoundedWhileTheEventLoopKeepsRunning) {
  const struct {
    const char* name;
    ScriptedReply script;
    int timeLimitMs;
    bool answered;
  } cases[] = {
      {"slow answer", ScriptedReply::delayed(std::chrono::milliseconds(200)), 10000, true},
      {"no answer", ScriptedReply::silent(), 300, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    standin.replies().set(StandinEndpoint::Login, c.script);
    int ticks = 0;
    QTimer otherTimer;
    QObject::connect(&otherTimer, &QTimer::timeout, [&ticks] { ++ticks; });
    otherTimer.start(10);

    const LoginSession session = parser.parseLoginReply(ucommucation::loginRequest(plainForm, c.timeLimitMs));
    EXPECT_EQ(session.success, c.answered ? "true" : "");
    EXPECT_GT(ticks, 0);
  }
}

// A platform that takes the request and never answers does not stop the
// caller's event loop: a zero timer keeps firing while each authenticated
// request waits, and the request's own time limit still ends the wait.
TEST_F(UcommucationTest, AuthenticatedRequestsWaitForAHungPlatformWithTheEventLoopRunning) {
  const struct {
    const char* name;
    StandinEndpoint endpoint;
    std::function<QString()> send;
  } requests[] = {
      {"heartbeat", StandinEndpoint::Heart, [] { return ucommucation::heartpackageRequest(plainForm, loggedIn); }},
      {"device list", StandinEndpoint::DeviceList, [] { return ucommucation::deviceListRequest(loggedIn); }},
      {"configuration", StandinEndpoint::DeviceConfig,
       [] { return ucommucation::realtimeConfRequest(loggedIn, "A1"); }},
  };
  for (const auto& request : requests) {
    SCOPED_TRACE(request.name);
    standin.replies().set(request.endpoint, ScriptedReply::silent());
    int ticks = 0;
    QTimer zeroTimer;
    QObject::connect(&zeroTimer, &QTimer::timeout, [&ticks] { ++ticks; });
    zeroTimer.start(0);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(request.send(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "error no:Timeout was reached\n");
    EXPECT_GT(ticks, 100);
  }
}

// A reply body longer than the limit fails its request, whichever transport
// carries it: the caller gets an empty reply, never the memory it would take.
TEST_F(UcommucationTest, RepliesLongerThanTheLimitFailTheirRequest) {
  const std::string tooLong(ucommucation::ReplyBodyLimit + 1, 'x');
  const struct {
    const char* name;
    StandinEndpoint endpoint;
    std::function<QString()> send;
  } requests[] = {
      {"login", StandinEndpoint::Login, [] { return ucommucation::loginRequest(plainForm); }},
      {"heartbeat", StandinEndpoint::Heart, [] { return ucommucation::heartpackageRequest(plainForm, loggedIn); }},
      {"device list", StandinEndpoint::DeviceList, [] { return ucommucation::deviceListRequest(loggedIn); }},
  };
  for (const auto& request : requests) {
    SCOPED_TRACE(request.name);
    standin.replies().set(request.endpoint, ScriptedReply::rawText(tooLong));
    EXPECT_EQ(request.send(), "");
  }
  standin.replies().set(StandinEndpoint::CodeImage, ScriptedReply::rawText(tooLong));
  EXPECT_TRUE(ucommucation::getIdentyfy(g_loginCodeUrl, "c1").isEmpty());
}

// Many devices' configurations are asked for side by side, never more than
// the bound at once: while the first ones hang, no further one starts. The
// replies come back in the order of the serials, whichever ended first.
TEST_F(UcommucationTest, ConfigurationsAreFetchedSideBySideUpToTheBoundAndReturnedInOrder) {
  const auto configRequests = [&] {
    const std::vector<RecordedRequest> all = standin.requests().all();
    return static_cast<int>(std::count_if(all.begin(), all.end(), [](const RecordedRequest& request) {
      return request.target.find("/rDev/config/") != std::string::npos;
    }));
  };
  QStringList serials;
  for (int i = 0; i < ucommucation::ConfigRequestsInFlight + 2; ++i) serials << QStringLiteral("D%1").arg(i);
  standin.replies().set(StandinEndpoint::DeviceConfig, ScriptedReply::silent());
  int mostAtOnce = 0;
  bool stayedAtTheBound = false;
  QTimer::singleShot(0, [&] {
    mostAtOnce = waitUntil([&] { return configRequests() == ucommucation::ConfigRequestsInFlight; })
                     ? ucommucation::ConfigRequestsInFlight
                     : configRequests();
    // The hung requests end only at their 5 s limit: until then none more starts.
    runEventsFor(1000);
    stayedAtTheBound = configRequests() == ucommucation::ConfigRequestsInFlight;
    standin.replies().clear(StandinEndpoint::DeviceConfig);
  });
  ::testing::internal::CaptureStdout();
  const QStringList hung = ucommucation::realtimeConfRequests(loggedIn, serials);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(mostAtOnce, ucommucation::ConfigRequestsInFlight);
  EXPECT_TRUE(stayedAtTheBound);
  EXPECT_EQ(configRequests(), serials.size());
  ASSERT_EQ(hung.size(), serials.size());
  EXPECT_EQ(hung.front(), "");
  // The last ones started after the first ones gave up, and were answered.
  EXPECT_EQ(parser.parseRealtimeConf(hung.back(), serials.back()).sn_code, serials.back());
  EXPECT_NE(hung.back(), "");

  const QStringList answered = ucommucation::realtimeConfRequests(loggedIn, {"A1", "D0", "A 1/?x"});
  ASSERT_EQ(answered.size(), 3);
  EXPECT_EQ(parser.parseRealtimeConf(answered[0], "A1").groups.size(), 1);
  EXPECT_EQ(parser.parseRealtimeConf(answered[2], "A 1/?x").groups.front().type_name, "Odd");
}

namespace {

enum class Transport { Get, Post };
enum class Fault { Silent, Closed, Refused };

struct CurlFailure {
  const char* name;
  Transport transport;
  Fault fault;
  CURLcode code;
  const char* errorLine;
};

std::ostream& operator<<(std::ostream& out, const CurlFailure& failure) { return out << failure.name; }

class CurlFailureTest : public UcommucationTest, public ::testing::WithParamInterface<CurlFailure> {};

}  // namespace

// Every failed transfer gives an empty body and one "error no:" line on
// standard output; a silent server is left after libcurl's time limit.
TEST_P(CurlFailureTest, GivesAnEmptyBodyAndPrintsTheError) {
  const CurlFailure& failure = GetParam();
  RefusingPort refusingPort;
  if (failure.fault == Fault::Refused) pointAt(refusingPort.address());
  const StandinEndpoint endpoint = failure.transport == Transport::Get ? StandinEndpoint::DeviceList
                                                                       : StandinEndpoint::Heart;
  standin.replies().set(endpoint, failure.fault == Fault::Closed ? ScriptedReply::closeConnection()
                                                                 : ScriptedReply::silent());
  QElapsedTimer clock;
  clock.start();
  ::testing::internal::CaptureStdout();
  std::string body;
  if (failure.transport == Transport::Get) {
    EXPECT_EQ(ucommucation::curlGet((g_devListUrl + "?usePage=false").toStdString(), &body, loggedIn,
                                    &ucommucation::curlWrite, nullptr),
              failure.code);
  } else {
    body = ucommucation::heartpackageRequest(plainForm, loggedIn).toStdString();
  }
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), failure.errorLine);
  EXPECT_EQ(body, "");
  if (failure.fault == Fault::Silent) {
    EXPECT_GE(clock.elapsed(), 3000);
  }
  EXPECT_LT(clock.elapsed(), 30000);
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, CurlFailureTest,
    ::testing::Values(
        CurlFailure{"GetSilent", Transport::Get, Fault::Silent, CURLE_OPERATION_TIMEDOUT, "error no:Timeout was reached\n"},
        CurlFailure{"PostSilent", Transport::Post, Fault::Silent, CURLE_OPERATION_TIMEDOUT,
                    "error no:Timeout was reached\n"},
        CurlFailure{"GetClosed", Transport::Get, Fault::Closed, CURLE_GOT_NOTHING,
                    "error no:Server returned nothing (no headers, no data)\n"},
        CurlFailure{"GetRefused", Transport::Get, Fault::Refused, CURLE_COULDNT_CONNECT,
                    "error no:Couldn't connect to server\n"},
        CurlFailure{"PostRefused", Transport::Post, Fault::Refused, CURLE_COULDNT_CONNECT,
                    "error no:Couldn't connect to server\n"}),
    [](const ::testing::TestParamInfo<CurlFailure>& info) { return std::string(info.param.name); });
