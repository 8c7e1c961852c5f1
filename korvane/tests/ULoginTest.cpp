#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTranslator>
#include <QSettings>
#include <QTextCodec>

#include <gtest/gtest.h>

#include "configfile.h"
#include "modalboxcloser.h"
#include "platformurls.h"
#include "rememberedusers.h"
#include "support/logintest.h"
#include "ulogin.h"
#include "useritem.h"

namespace {

template <typename Widget>
Widget* child(const QWidget& window, const char* name) {
  Widget* widget = window.findChild<Widget*>(QLatin1String(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

QLineEdit* userNameEdit(const ULogin& login) { return child<QLineEdit>(login, "userNameEdit"); }
QLineEdit* passwordEdit(const ULogin& login) { return child<QLineEdit>(login, "passwordEdit"); }
QCheckBox* rememberPasswordBox(const ULogin& login) { return child<QCheckBox>(login, "rememberPasswordCheckBox"); }
QCheckBox* autoLoginBox(const ULogin& login) { return child<QCheckBox>(login, "autoLoginCheckBox"); }

QStringList rowNames(const ULogin& login) {
  QStringList names;
  for (const UserItem* row : child<QWidget>(login, "userListPanel")->findChildren<UserItem*>())
    names.append(row->userName());
  return names;
}

void clickDelete(UserItem& row) { row.findChild<QPushButton*>("DeleteUserNameBtn")->click(); }

unsigned modeOf(const QString& path) {
  struct stat status {};
  ::stat(QFile::encodeName(path).constData(), &status);
  return status.st_mode & 0777;
}

void processDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class ULoginWindowTest : public LoginTest {
protected:
  void remember(const RememberedUser& user, bool last) {
    RememberedUsers users(settings.userPath());
    users.save(user);
    if (last) users.setLastUser(user.name);
    users.sync();
  }
};

}  // namespace

TEST(RememberedUsersTest, PasswordScramblingIsItsOwnInverseAndSurvivesTheSettingsFile) {
  const struct {
    QByteArray password;
    QByteArray stored;
  } cases[] = {
      {"", ""},
      {"a", "E"},
      {"$", QByteArray(1, '\0')},
      {"secret", "Ww|Dxo"},
      {"p\xE4", "T\xF6"},
      {"a much longer password, \xFF\x80 too", QByteArray()},
  };
  const SettingsFolder folder;
  for (const auto& c : cases) {
    QByteArray scrambled = c.password;
    RememberedUsers::scramblePassword(scrambled);
    if (!c.stored.isNull()) {
      EXPECT_EQ(scrambled, c.stored) << c.password.toStdString();
    }
    RememberedUsers::scramblePassword(scrambled);
    EXPECT_EQ(scrambled, c.password);

    const QString plain = QString::fromLatin1(c.password);
    {
      RememberedUsers users(folder.userPath());
      users.save({"u", plain, 1, 1, 0});
    }
    EXPECT_EQ(RememberedUsers(folder.userPath()).user("u").password, plain) << c.password.toStdString();
  }
}

TEST(RememberedUsersTest, PasswordsOfAnyCharactersRoundTripAndLatin1OnesKeepTheirStoredForm) {
  const SettingsFolder folder;
  const QString passwords[] = {QStringLiteral("密码pässwörd"), QStringLiteral("\U0001F511 key"),
                               QString::fromLatin1("p\xE4")};
  for (const QString& password : passwords) {
    RememberedUsers(folder.userPath()).save({"u", password, 1, 1, 0});
    EXPECT_EQ(RememberedUsers(folder.userPath()).user("u").password, password) << password.toStdString();
  }
  // The Latin-1 password is stored one character per byte, as before.
  EXPECT_EQ(QSettings(folder.userPath(), QSettings::IniFormat).value("u/PassWord").toString(),
            QString::fromLatin1("T\xF6"));
}

TEST(RememberedUsersTest, AHandWrittenUserNameInGbkOrUtf8IsReadAsWrittenAndTheRestKept) {
  const QString name = QStringLiteral("张三");
  QByteArray stored = QByteArray("secret");
  RememberedUsers::scramblePassword(stored);
  for (const char* codecName : {"GBK", "UTF-8"}) {
    const SettingsFolder folder;
    const QByteArray encoded = QTextCodec::codecForName(codecName)->fromUnicode(name);
    QFile file(folder.userPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[LastUser]\nUserName=" + encoded + "\n\n[" + encoded + "]\nPassWord=" + stored +
               "\nisRememberPassWord=1\nisAutoLogin=1\n");
    file.close();

    RememberedUsers users(folder.userPath());
    EXPECT_EQ(users.lastUser(), name) << codecName;
    const RememberedUser user = users.user(name);
    EXPECT_EQ(user.password, "secret") << codecName;
    EXPECT_EQ(user.autoLogin, 1) << codecName;
    EXPECT_EQ(users.names(), QStringList{name}) << codecName;
  }
}

TEST(RememberedUsersTest, NewSettingsFilesAreTheOwnersAloneAndAnExistingFileKeepsItsMode) {
  const SettingsFolder folder;
  RememberedUsers(folder.userPath()).save({"u", "secret", 1, 1, 0});
  ASSERT_TRUE(writeServerSettings("platform.example:8080", "1000"));
  for (const QString& path : {folder.userPath(), folder.configPath()})
    EXPECT_EQ(modeOf(path), 0600u) << path.toStdString();

  // A mode the owner chose stays.
  for (const QString& path : {folder.userPath(), folder.configPath()})
    ::chmod(QFile::encodeName(path).constData(), 0640);
  RememberedUsers(folder.userPath()).save({"v", "secret", 1, 1, 0});
  ASSERT_TRUE(writeServerAddress("platform.example:8081"));
  for (const QString& path : {folder.userPath(), folder.configPath()})
    EXPECT_EQ(modeOf(path), 0640u) << path.toStdString();
}

TEST(RememberedUsersTest, PasswordIsKeptOnlyWhenRememberingItAndAnEmptyNameRemovesNothing) {
  const SettingsFolder folder;
  RememberedUsers users(folder.userPath());
  users.save({"ann", "secret", 1, 0, 1});
  users.save({"bob", "secret", 1, 1, 0});
  users.remove("");
  users.sync();

  const QSettings file(folder.userPath(), QSettings::IniFormat);
  EXPECT_EQ(file.value("ann/PassWord").toString(), "");
  EXPECT_EQ(file.value("ann/isAutoLogin").toString(), "1");
  EXPECT_EQ(file.value("bob/PassWord").toString(), "Ww|Dxo");
  EXPECT_EQ(users.names(), QStringList({"ann", "bob"}));
}

TEST_F(ULoginWindowTest, TheBottomRowShowsEveryTextWholeAndItsCheckBoxesTheirSquareAndBlackText) {
  // Untranslated, the English texts need more room than the row's places; the
  // program's Chinese ones fit them, which then stay as they are.
  QTranslator chinese;
  ASSERT_TRUE(chinese.load(QFileInfo(KORVANE_EXECUTABLE).absolutePath() + "/korvane_zh.qm"));
  for (const bool translated : {false, true}) {
    SCOPED_TRACE(translated ? "Chinese" : "English");
    if (translated) QCoreApplication::installTranslator(&chinese);
    ULogin login;
    QCoreApplication::removeTranslator(&chinese);
    login.show();
    QCheckBox* remember = rememberPasswordBox(login);
    auto* forget = child<QPushButton>(login, "forgetPasswordButton");
    QCheckBox* autoLogin = autoLoginBox(login);
    for (QWidget* widget : {static_cast<QWidget*>(remember), static_cast<QWidget*>(forget),
                            static_cast<QWidget*>(autoLogin)}) {
      EXPECT_LE(widget->sizeHint().width(), widget->width()) << widget->objectName().toStdString();
      EXPECT_TRUE(login.rect().contains(widget->geometry())) << widget->objectName().toStdString();
    }
    EXPECT_LE(remember->x() + remember->sizeHint().width(), forget->x());
    if (translated) {
      EXPECT_EQ(login.size(), QSize(250, 340));
      EXPECT_EQ(remember->geometry(), QRect(20, 250, 120, 30));
      EXPECT_EQ(forget->geometry(), QRect(140, 250, 100, 30));
    }

    // Unchecked, each box draws its square (dark pixels left of the text)
    // and its text in black.
    for (QCheckBox* box : {remember, autoLogin}) {
      // The box alone, on white.
      QImage image(box->size(), QImage::Format_RGB32);
      image.fill(Qt::white);
      box->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
      int squarePixels = 0;
      int darkestText = 255;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
          const int gray = qGray(image.pixel(x, y));
          if (x < 16 && gray < 200) ++squarePixels;
          if (x >= 20 && x < box->sizeHint().width()) darkestText = qMin(darkestText, gray);
        }
      EXPECT_GT(squarePixels, 20) << box->objectName().toStdString();
      EXPECT_LT(darkestText, 10) << box->objectName().toStdString();
    }
  }
}

TEST_F(ULoginWindowTest, FirstStartShowsAnEmptyFormOnTheMainServer) {
  const ULogin login;

  // The width is the bottom row's (see the test below).
  EXPECT_EQ(login.height(), 340);
  EXPECT_EQ(login.windowTitle(), "Zelvo OPC");
  EXPECT_EQ(userNameEdit(login)->text(), "");
  EXPECT_EQ(userNameEdit(login)->placeholderText(), "user name");
  EXPECT_EQ(passwordEdit(login)->text(), "");
  EXPECT_EQ(passwordEdit(login)->placeholderText(), "password");
  EXPECT_EQ(passwordEdit(login)->echoMode(), QLineEdit::Password);
  EXPECT_FALSE(rememberPasswordBox(login)->isChecked());
  EXPECT_FALSE(autoLoginBox(login)->isChecked());
  EXPECT_FALSE(login.isAutoLogin());
  EXPECT_EQ(child<QComboBox>(login, "serverComboBox")->currentIndex(), 0);
  EXPECT_EQ(child<QComboBox>(login, "serverComboBox")->currentText(), "Main Server");
  for (const char* codeRow : {"codeIconButton", "codeEdit", "codeLine", "codeImageLabel"})
    EXPECT_TRUE(child<QWidget>(login, codeRow)->isHidden()) << codeRow;
  EXPECT_EQ(g_loginUrl, QString::fromStdString("http://" + standin.address() + "/ZirOrurodaz/login"));

  // The code image was asked for with a fresh 20-character code, and shown.
  const std::string codeImage = standin.requests().all().at(0).requestLine;
  EXPECT_TRUE(QRegularExpression("^GET /ZirOrurodaz/login/[0-9a-z]{20} HTTP/1.1$")
                  .match(QString::fromStdString(codeImage))
                  .hasMatch())
      << codeImage;
  EXPECT_EQ(child<QLabel>(login, "codeImageLabel")->pixmap(Qt::ReturnByValue).size(), QSize(200, 50));
}

TEST_F(ULoginWindowTest, RememberedUserFillsTheFormAsTheFlagsSay) {
  const struct {
    int rememberPassword;
    int autoLogin;
    const char* shownPassword;
  } cases[] = {{1, 1, "p\xE4ss"}, {0, 0, ""}};
  for (const auto& c : cases) {
    remember({"bob", QString::fromLatin1("p\xE4ss"), 1, c.rememberPassword, c.autoLogin}, true);
    const ULogin login;
    EXPECT_EQ(userNameEdit(login)->text(), "bob");
    EXPECT_EQ(passwordEdit(login)->text(), QString::fromLatin1(c.shownPassword));
    EXPECT_EQ(rememberPasswordBox(login)->isChecked(), c.rememberPassword == 1);
    EXPECT_EQ(autoLoginBox(login)->isChecked(), c.autoLogin == 1);
    EXPECT_EQ(login.isAutoLogin(), c.autoLogin == 1);
  }
}

TEST_F(ULoginWindowTest, SavingUsesTheTrimmedNameAndTheSavedAddressOfTheChosenServer) {
  ULogin login;
  userNameEdit(login)->setText("  bob ");
  passwordEdit(login)->setText("secret");
  autoLoginBox(login)->setChecked(true);
  child<QComboBox>(login, "serverComboBox")->setCurrentIndex(1);
  for (const QString* url : {&g_loginCodeUrl, &g_loginUrl, &g_logoutUrl, &g_registerUrl, &g_findPassUrl, &g_heartUrl,
                             &g_devListUrl, &g_realtimeConfUrl, &g_realtimeDataUrl})
    EXPECT_TRUE(url->startsWith(QString("http://") + standbyRequestAddress + "/")) << url->toStdString();

  login.on_write2file();

  const QSettings users(settings.userPath(), QSettings::IniFormat);
  EXPECT_EQ(users.childGroups(), QStringList({"LastUser", "bob"}));
  EXPECT_EQ(users.value("LastUser/UserName").toString(), "bob");
  EXPECT_EQ(users.value("bob/UserName").toString(), "bob");
  EXPECT_EQ(users.value("bob/PassWord").toString(), "");
  EXPECT_EQ(users.value("bob/isRememberUserName").toString(), "1");
  EXPECT_EQ(users.value("bob/isRememberPassWord").toString(), "0");
  EXPECT_EQ(users.value("bob/isAutoLogin").toString(), "1");
  EXPECT_EQ(QSettings(settings.configPath(), QSettings::IniFormat).value("ServerAddress").toString(),
            standbySavedAddress);

  child<QComboBox>(login, "serverComboBox")->setCurrentIndex(0);
  login.on_write2file();
  EXPECT_EQ(QSettings(settings.configPath(), QSettings::IniFormat).value("ServerAddress").toString(),
            mainSavedAddress);
}

TEST_F(ULoginWindowTest, DeletingUsersRebuildsThePanelAndClearsTheFormOnlyForTheLastUser) {
  remember({"ann", "a", 1, 1, 0}, false);
  remember({"bob", "b", 1, 1, 1}, false);
  remember({"cid", "c", 1, 1, 0}, true);
  ULogin login;
  UserItem first("ann", &login);
  QObject::connect(&first, &UserItem::deleteCurrentUser, &login, &ULogin::onDeleteCurrentUser);

  clickDelete(first);
  EXPECT_EQ(userNameEdit(login)->text(), "cid");
  EXPECT_TRUE(rememberPasswordBox(login)->isChecked());
  EXPECT_EQ(rowNames(login), QStringList({"bob", "cid"}));
  EXPECT_TRUE(child<QWidget>(login, "userListPanel")->isHidden());
  EXPECT_EQ(child<QWidget>(login, "userListPanel")->geometry(), QRect(60, 61, 160, 60));
  UserItem* cid = child<QWidget>(login, "userListPanel")->findChildren<UserItem*>().at(1);
  EXPECT_EQ(cid->geometry(), QRect(0, 30, 160, 30));

  // The row deletes its own panel while its signal runs.
  clickDelete(*cid);
  processDeferredDeletes();
  EXPECT_EQ(userNameEdit(login)->text(), "");
  EXPECT_EQ(passwordEdit(login)->text(), "");
  EXPECT_FALSE(rememberPasswordBox(login)->isChecked());
  EXPECT_EQ(rowNames(login), QStringList({"bob"}));
  EXPECT_EQ(RememberedUsers(settings.userPath()).lastUser(), "");
  EXPECT_EQ(RememberedUsers(settings.userPath()).names(), QStringList({"bob"}));

  child<QWidget>(login, "userListPanel")->findChild<UserItem*>()->click();
  EXPECT_EQ(userNameEdit(login)->text(), "bob");
  EXPECT_EQ(passwordEdit(login)->text(), "b");
  EXPECT_TRUE(rememberPasswordBox(login)->isChecked());
  EXPECT_TRUE(autoLoginBox(login)->isChecked());
}

TEST_F(ULoginWindowTest, ReturnAndEnterInAnEntryStartALogin) {
  ULogin login;
  userNameEdit(login)->setText(user);
  ModalBoxCloser closer;
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_A}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(passwordEdit(login), &press);
  }
  EXPECT_EQ(requestsTo(loginRequestLine), 2);
  EXPECT_EQ(closer.closedBoxes().size(), 2);
}
