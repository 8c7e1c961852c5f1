#include <QLineEdit>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

#include "loginform.h"
#include "loginsession.h"
#include "modalboxcloser.h"
#include "rememberedusers.h"
#include "support/logintest.h"
#include "ulogin.h"

namespace {

std::string refusal(const std::string& success, const std::string& message) {
  return R"({"meta":{"success":)" + success + R"(,"message":")" + message + R"("},"data":null})";
}

const std::string heartRefused = refusal("\"false\"", "100009");

class LoginFlowTest : public LoginTest {
protected:
  void SetUp() override {
    LoginTest::SetUp();
    login = std::make_unique<ULogin>();
    QObject::connect(login.get(), &ULogin::loginsuccess, [this](bool) { ++successSignals; });
    QObject::connect(login.get(), &ULogin::httptimeoutMsg, [this](bool ok) { timeoutSignals.append(ok); });
  }

  void type(const QString& userName, const QString& password) {
    login->findChild<QLineEdit*>("userNameEdit")->setText(userName);
    login->findChild<QLineEdit*>("passwordEdit")->setText(password);
  }

  // Logged in as the stand-in's user, with the heartbeat not yet run.
  void logIn() {
    type(user, password);
    login->on_login();
    ASSERT_EQ(g_session.success, "true");
  }

  void beats(int count, bool accepted) {
    if (accepted)
      standin.replies().clear(StandinEndpoint::Heart);
    else
      standin.replies().set(StandinEndpoint::Heart, ScriptedReply::rawText(heartRefused));
    for (int i = 0; i < count; ++i) login->on_heartpackageSlot();
  }

  std::unique_ptr<ULogin> login;
  int successSignals = 0;
  QList<bool> timeoutSignals;
};

}  // namespace

TEST_F(LoginFlowTest, SuccessSavesTheUserHidesTheWindowStartsTheHeartbeatAndOpensOneMainWindow) {
  int mainWindows = 0;
  QWidget mainWindow;
  ULogin::setMainWindowFactory([&] {
    ++mainWindows;
    return &mainWindow;
  });
  login->show();
  type(" 13800000000 ", " demo123 ");

  login->on_login();
  EXPECT_EQ(standin.requests().all().back().body,
            "user_tel=13800000000&password=demo123&check_num=&code_num=" + g_loginForm.code_num.toStdString() +
                "&login_type=MPhone");
  EXPECT_FALSE(login->isVisible());
  EXPECT_EQ(successSignals, 1);
  EXPECT_EQ(g_session.user, "13800000000");
  EXPECT_EQ(g_session.token, "tok-abc123");
  EXPECT_TRUE(g_heartTimer->isActive());
  EXPECT_EQ(g_heartTimer->interval(), 5000);
  EXPECT_EQ(RememberedUsers(settings.userPath()).lastUser(), "13800000000");
  EXPECT_EQ(g_mainWindow, &mainWindow);

  // A second success neither opens another main window nor doubles the heartbeat.
  login->on_login();
  EXPECT_EQ(mainWindows, 1);
  const int heartsBefore = requestsTo(heartRequestLine);
  QMetaObject::invokeMethod(g_heartTimer, "timeout", Qt::DirectConnection);
  EXPECT_EQ(requestsTo(heartRequestLine), heartsBefore + 1);
  g_mainWindow = nullptr;
}

TEST_F(LoginFlowTest, EachRefusalCodeShowsItsBoxAndOtherCodesShowNothing) {
  const struct {
    std::string success;
    std::string message;
    QString text;
  } cases[] = {
      {"\"false\"", "110001",
       "<div><font size=4 color=red>Login failed!</div><div>user name and password couldn't be empty</font></div>"},
      {"\"True\"", "110002",
       "<div><font size=4 color=red>Login failed!</div><div>Verification error!Please try again!</font></div>"},
      {"1", "110003",
       "<div><font size=4 color=red>Login failed!</div><div>user name or password error!Please input again!</font></div>"},
      {"\"false\"", "999", ""},
      {"\"false\"", "abc", ""},
  };
  login->show();
  type(user, password);
  for (const auto& c : cases) {
    standin.replies().set(StandinEndpoint::Login, ScriptedReply::rawText(refusal(c.success, c.message)));
    ModalBoxCloser closer;
    login->on_login();
    EXPECT_TRUE(login->isVisible()) << c.message;
    if (c.text.isEmpty()) {
      EXPECT_TRUE(closer.closedBoxes().isEmpty()) << c.message;
      continue;
    }
    ASSERT_EQ(closer.closedBoxes().size(), 1) << c.message;
    const ModalBoxCloser::ClosedBox& box = closer.closedBoxes().first();
    EXPECT_EQ(box.title, "Tips");
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_EQ(box.buttons, QStringList{"Confirm"});
  }
  EXPECT_EQ(successSignals, 0);
  EXPECT_FALSE(g_heartTimer->isActive());
}

TEST_F(LoginFlowTest, NoAnswerShowsTheTimeOutBoxAndAFailedAutoLoginShowsTheWindow) {
  standin.replies().set(StandinEndpoint::Login, ScriptedReply::closeConnection());
  type(user, password);
  ModalBoxCloser closer;

  login->autoLogin();

  ASSERT_EQ(closer.closedBoxes().size(), 1);
  const ModalBoxCloser::ClosedBox& box = closer.closedBoxes().first();
  EXPECT_EQ(box.title, "network error");
  EXPECT_EQ(box.text,
            "<FONT size=4 color=red><div><b>Time Out...</b><br/></FONT></div>"
            "<div><font size=4>Please check your network!</font></div>");
  EXPECT_EQ(box.buttons, QStringList{"Confirm"});
  EXPECT_TRUE(login->isVisible());
}

TEST_F(LoginFlowTest, SuccessfulAutoLoginNeverShowsTheWindow) {
  bool everShown = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] { everShown = everShown || login->isVisible(); });
  watch.start(1);
  standin.replies().set(StandinEndpoint::Login, ScriptedReply::delayed(std::chrono::milliseconds(50)));
  type(user, password);

  login->autoLogin();
  EXPECT_FALSE(everShown);
  EXPECT_FALSE(login->isVisible());
  EXPECT_EQ(g_session.success, "true");
}

TEST_F(LoginFlowTest, LoginIsIgnoredWhileOneIsWaitingForItsAnswer) {
  standin.replies().set(StandinEndpoint::Login, ScriptedReply::delayed(std::chrono::milliseconds(300)));
  type(user, password);
  QTimer::singleShot(20, login.get(), &ULogin::on_login);

  login->on_login();
  EXPECT_EQ(requestsTo(loginRequestLine), 1);
  EXPECT_EQ(successSignals, 1);
}

TEST_F(LoginFlowTest, HeartbeatCountsFailuresAndLogsInAgainOnceAfterTwentyFour) {
  const struct {
    const char* name;
    std::vector<std::pair<int, bool>> runs;  // beats, accepted
    int relogins;
    QList<bool> reports;  // httptimeoutMsg
  } cases[] = {
      {"first success", {{1, true}, {1, true}}, 0, {true}},
      {"23 failures then a success", {{23, false}, {1, true}}, 0, {false, true}},
      {"30 failures", {{30, false}}, 1, {false}},
      {"24 failures twice", {{24, false}, {1, true}, {24, false}}, 2, {false, true, false}},
  };
  for (const auto& c : cases) {
    login = std::make_unique<ULogin>();
    QObject::connect(login.get(), &ULogin::httptimeoutMsg, [this](bool ok) { timeoutSignals.append(ok); });
    timeoutSignals.clear();
    logIn();
    standin.requests().clear();
    for (const auto& [count, accepted] : c.runs) beats(count, accepted);
    EXPECT_EQ(requestsTo(loginRequestLine), c.relogins) << c.name;
    EXPECT_EQ(timeoutSignals, c.reports) << c.name;
  }
}

TEST_F(LoginFlowTest, ReloginReplacesTheSessionOnlyWhenItSucceeds) {
  logIn();
  g_session.user = "someone else";
  g_session.message = "marker";
  standin.replies().set(StandinEndpoint::Login, ScriptedReply::rawText(refusal("\"false\"", "110003")));
  beats(24, false);
  EXPECT_EQ(g_session.user, "someone else");
  EXPECT_EQ(g_session.message, "marker");

  standin.replies().clear(StandinEndpoint::Login);
  beats(1, true);
  beats(24, false);
  EXPECT_EQ(g_session.user, user);
  EXPECT_NE(g_session.message, "marker");
  EXPECT_EQ(g_session.token, "tok-abc123");
}

TEST_F(LoginFlowTest, HeartbeatSkipsABeatWhileItsReloginWaits) {
  logIn();
  standin.replies().set(StandinEndpoint::Login, ScriptedReply::delayed(std::chrono::milliseconds(300)));
  beats(23, false);
  standin.requests().clear();
  QTimer::singleShot(20, login.get(), &ULogin::on_heartpackageSlot);

  beats(1, false);
  EXPECT_EQ(requestsTo(heartRequestLine), 1);
  EXPECT_EQ(requestsTo(loginRequestLine), 1);
}

// The heartbeat waits for its answer with the event loop running, where the
// heartbeat timer fires again: that beat is skipped, not sent beside it.
TEST_F(LoginFlowTest, AHeartbeatWaitingForItsAnswerIsNotSentAgain) {
  logIn();
  standin.replies().set(StandinEndpoint::Heart, ScriptedReply::delayed(std::chrono::milliseconds(300)));
  standin.requests().clear();
  QTimer::singleShot(20, login.get(), &ULogin::on_heartpackageSlot);

  login->on_heartpackageSlot();
  EXPECT_EQ(requestsTo(heartRequestLine), 1);
  EXPECT_TRUE(timeoutSignals.endsWith(true));
}
