#pragma once

#include <functional>

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include "ujsonparser.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The heartbeat timer of the login session: started with 5000 ms by the first
// successful login, stopped when the login window goes.
extern QTimer* g_heartTimer;
// The program's main window, created once, after the first successful login.
extern QWidget* g_mainWindow;

// The login window: user name, password, a choice of platform server, and the
// remembered users of usr.ini. A successful login saves the user, hides the
// window, starts the heartbeat and opens the main window; the heartbeat keeps
// the session alive and logs in again, silently, after 24 failed beats.
class ULogin : public QWidget {
  Q_OBJECT

public:
  // Creates the main window after a successful login; set by the main window's code.
  using MainWindowFactory = std::function<QWidget*()>;

  static constexpr int HeartbeatIntervalMs = 5000;
  static constexpr int HeartFailuresBeforeRelogin = 24;

  explicit ULogin(QWidget* parent = nullptr);
  ~ULogin() override;

  // The remembered user's auto-login flag is set.
  bool isAutoLogin() const { return autoLogin_ != 0; }
  // Logs in with the remembered user at start-up; shows the window when that fails.
  void autoLogin();

  static void setMainWindowFactory(MainWindowFactory factory);
  // A 20-character code of digits and lower-case letters.
  static QString generateVerifyCode();

signals:
  void loginsuccess(bool success);
  void httptimeoutMsg(bool reachable);

public slots:
  void on_login();
  void on_Register();
  void onFindbackpwd();
  void on_write2file();
  void readFromFile();
  void on_heartpackageSlot();
  void on_UPVLineEdtEmpty();
  void onPwdStateBtnclicked();
  void onMutiluserBrnclicked();
  void onChooseUser();
  void onDeleteCurrentUser();
  void on_svrAddrChanged(int index);

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  void buildWidgets();
  // Gives the texts of the bottom row the room they need.
  void fitBottomRow();
  void fillFromRememberedUser();
  void showCodeImage();
  void rebuildUserListPanel(const QStringList& names);
  void closeUserListPanel();
  void openMainWindow();
  void reloginAfterHeartFailures();
  // The login window's modal warning box, with one button labelled "Confirm".
  static void showLoginBox(const QString& title, const QString& text, QMessageBox::StandardButton button);

  QPushButton* userIconButton_;
  QLineEdit* userNameEdit_;
  QFrame* userNameLine_;
  QPushButton* passwordIconButton_;
  QLineEdit* passwordEdit_;
  QFrame* passwordLine_;
  QPushButton* codeIconButton_;
  QLineEdit* codeEdit_;
  QFrame* codeLine_;
  QLabel* codeImageLabel_;
  QComboBox* serverComboBox_;
  QPushButton* loginButton_;
  QPushButton* registerButton_;
  QCheckBox* rememberUserNameCheckBox_;
  QCheckBox* rememberPasswordCheckBox_;
  QPushButton* forgetPasswordButton_;
  QCheckBox* autoLoginCheckBox_;
  QPushButton* userListButton_;
  QPushButton* passwordVisibleButton_;
  QWidget* userListPanel_ = nullptr;

  QString configuredServerAddress_;
  bool passwordVisible_ = false;
  bool userListShown_ = false;
  QString userName_;
  QString password_;
  QString typedCode_;
  QString generatedCode_;
  int rememberUserName_ = 0;
  int rememberPassword_ = 0;
  int autoLogin_ = 0;
  ujsonparser parser_;

  bool loginInFlight_ = false;
  bool loggedIn_ = false;
  bool reloginInFlight_ = false;
  bool heartbeatInFlight_ = false;
  int heartFailCount_ = 0;
  int heartLastCount_ = -1;
};
