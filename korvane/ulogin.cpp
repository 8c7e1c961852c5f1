#include "ulogin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopedValueRollback>
#include <QSettings>
#include <QStyle>
#include <QStyleOption>
#include <QTime>
#include <QTimer>
#include <QUrl>

#include "configfile.h"
#include "klog.h"
#include "platformurls.h"
#include "rememberedusers.h"
#include "serverendpoints.h"
#include "settingsfiles.h"
#include "ucommucation.h"
#include "useritem.h"

QTimer* g_heartTimer = nullptr;
QWidget* g_mainWindow = nullptr;

namespace {

const char* const entryStyle = "border:none;background-color:transparent";
const char* const iconButtonStyle = "border:none";
const char* const lineStyle = "background-color:grey";
const char* const toggleButtonStyle = "border-style: none;";
// Black text, as the check boxes are meant to have. A style sheet font
// declaration that Qt cannot parse ("75 Timers 30pt") voids the whole sheet
// and leaves the text grey, and a sheet background makes Qt draw the box
// without its square; neither is set.
const char* const checkBoxStyle = "color: black;";
const char* const comboBoxStyle =
    "QComboBox{border:none;background:purple;color:#ffffff;padding-left:30px;font-size:12px \"SimHei\"}"
    "QComboBox:down-arrow {image:url(:/images/downarrow.png);height:30px;width:20px;}"
    "QComboBox:drop-down{subcontrol-origin: padding;subcontrol-position: top right;width: 40px;"
    "border-left-width: 0px;border-left-color: gray;border-left-style: solid;border-top-right-radius: 3px;"
    "border-bottom-right-radius: 3px;}";
const char* const loginButtonStyle =
    "QPushButton{background-color:rgb(26,173,25);color: white; border: none; border-style: none;}"
    "QPushButton:pressed{background-color:rgb(85, 170, 255); border-style: inset; }";
const char* const registerButtonStyle =
    "QPushButton{background-color:grey;color: white; border: none; border-style: none;}"
    "QPushButton:pressed{background-color:rgb(85, 170, 255); border-style: inset; }";
const char* const forgetPasswordStyle =
    "QPushButton{border-style: none;color:black}QPushButton:hover{background-color:transparent;color: red;}";
const char* const userRowStyle =
    "QPushButton{border-style: none;}QPushButton:hover{background-color:rgba(0,0,0,20);color: white;}"
    "QPushButton:pressed{background-color:rgba(85, 170, 255,200); border-style: inset; }";

const char* const downArrowIcon = ":/images/downarrow.png";

const char* const timeOutText =
    "<FONT size=4 color=red><div><b>Time Out...</b><br/></FONT></div>"
    "<div><font size=4>Please check your network!</font></div>";

// The box text for a refusal code of the platform; empty for a code the window does not explain.
QString refusalText(int code) {
  switch (code) {
    case 110001:
      return QStringLiteral(
          "<div><font size=4 color=red>Login failed!</div><div>user name and password couldn't be empty</font></div>");
    case 110002:
      return QStringLiteral(
          "<div><font size=4 color=red>Login failed!</div><div>Verification error!Please try again!</font></div>");
    case 110003:
      return QStringLiteral("<div><font size=4 color=red>Login failed!</div>"
                            "<div>user name or password error!Please input again!</font></div>");
    default:
      return QString();
  }
}

ULogin::MainWindowFactory& mainWindowFactory() {
  static ULogin::MainWindowFactory factory;
  return factory;
}

QPushButton* iconButton(const char* icon, QWidget* parent) {
  auto* button = new QPushButton(parent);
  button->setFlat(true);
  button->setEnabled(false);
  button->setIcon(QIcon(QLatin1String(icon)));
  button->setIconSize(QSize(25, 25));
  button->setStyleSheet(QLatin1String(iconButtonStyle));
  return button;
}

QLineEdit* entry(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setStyleSheet(QLatin1String(entryStyle));
  edit->setFont(QFont(QStringLiteral("宋体"), 10, QFont::Normal));
  return edit;
}

QFrame* separatorLine(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Plain);
  line->setStyleSheet(QLatin1String(lineStyle));
  return line;
}

QPushButton* toggleButton(const char* icon, QWidget* parent) {
  auto* button = new QPushButton(parent);
  button->setCursor(Qt::PointingHandCursor);
  button->setIcon(QIcon(QLatin1String(icon)));
  button->setFlat(true);
  button->setStyleSheet(QLatin1String(toggleButtonStyle));
  button->hide();
  return button;
}

void name(QObject* object, const char* objectName) { object->setObjectName(QLatin1String(objectName)); }

// The row a panel slot was called from, or null when the sender is no such row.
UserItem* senderRow(QObject* sender) {
  auto* row = qobject_cast<UserItem*>(sender);
  return row != nullptr && row->findChild<QLabel*>(QStringLiteral("UserNameLab")) != nullptr ? row : nullptr;
}

}  // namespace

ULogin::ULogin(QWidget* parent) : QWidget(parent) {
  setFixedSize(250, 340);
  setWindowTitle(tr("Zelvo OPC"));
  setWindowIcon(QIcon(QStringLiteral(":/images/opc.png")));
  setMouseTracking(true);
  if (g_heartTimer == nullptr) g_heartTimer = new QTimer(QCoreApplication::instance());

  buildWidgets();
  readFromFile();
  fillFromRememberedUser();
  serverComboBox_->setCurrentIndex(0);
  connect(serverComboBox_, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &ULogin::on_svrAddrChanged);

  on_svrAddrChanged(0);
  generatedCode_ = generateVerifyCode();
  showCodeImage();
}

ULogin::~ULogin() {
  if (g_heartTimer != nullptr) g_heartTimer->stop();
}

void ULogin::buildWidgets() {
  userIconButton_ = iconButton(":/images/usr.png", this);
  userNameEdit_ = entry(this);
  userNameLine_ = separatorLine(this);
  passwordIconButton_ = iconButton(":/images/password.png", this);
  passwordEdit_ = entry(this);
  passwordEdit_->setEchoMode(QLineEdit::Password);
  passwordLine_ = separatorLine(this);
  codeIconButton_ = iconButton(":/images/identify.png", this);
  codeEdit_ = entry(this);
  codeLine_ = separatorLine(this);
  codeImageLabel_ = new QLabel(this);
  codeImageLabel_->setCursor(Qt::PointingHandCursor);

  loginButton_ = new QPushButton(tr("Login"), this);
  loginButton_->setStyleSheet(QLatin1String(loginButtonStyle));
  registerButton_ = new QPushButton(tr("Register"), this);
  registerButton_->setStyleSheet(QLatin1String(registerButtonStyle));
  rememberUserNameCheckBox_ = new QCheckBox(tr("rember UserName"), this);
  rememberUserNameCheckBox_->setStyleSheet(QLatin1String(checkBoxStyle));
  rememberUserNameCheckBox_->hide();

  userListButton_ = toggleButton(downArrowIcon, this);
  passwordVisibleButton_ = toggleButton(":/images/versible.png", this);
  connect(userListButton_, &QPushButton::clicked, this, &ULogin::onMutiluserBrnclicked);
  connect(passwordVisibleButton_, &QPushButton::clicked, this, &ULogin::onPwdStateBtnclicked);

  serverComboBox_ = new QComboBox(this);
  QFont comboFont;
  comboFont.setPixelSize(12);
  comboFont.setFamily(QStringLiteral("Timers"));
  serverComboBox_->setFont(comboFont);
  serverComboBox_->addItem(tr("Main Server"));
  serverComboBox_->addItem(tr("Standby Server"));
  for (int i = 0; i < serverComboBox_->count(); ++i)
    serverComboBox_->setItemData(i, Qt::AlignCenter, Qt::TextAlignmentRole);
  serverComboBox_->setEditable(true);
  auto* comboText = new QLineEdit(serverComboBox_);
  comboText->setReadOnly(true);
  comboText->setAlignment(Qt::AlignCenter);
  serverComboBox_->setLineEdit(comboText);
  serverComboBox_->setStyleSheet(QLatin1String(comboBoxStyle));

  rememberPasswordCheckBox_ = new QCheckBox(tr("rember Password"), this);
  rememberPasswordCheckBox_->setStyleSheet(QLatin1String(checkBoxStyle));
  forgetPasswordButton_ = new QPushButton(tr("Forget Password?"), this);
  forgetPasswordButton_->setStyleSheet(QLatin1String(forgetPasswordStyle));
  autoLoginCheckBox_ = new QCheckBox(tr("self-Login"), this);
  autoLoginCheckBox_->setStyleSheet(QLatin1String(checkBoxStyle));

  for (QWidget* pointing : {static_cast<QWidget*>(loginButton_), static_cast<QWidget*>(registerButton_),
                            static_cast<QWidget*>(forgetPasswordButton_)})
    pointing->setCursor(Qt::PointingHandCursor);
  connect(loginButton_, &QPushButton::clicked, this, &ULogin::on_login);
  connect(registerButton_, &QPushButton::clicked, this, &ULogin::on_Register);
  connect(forgetPasswordButton_, &QPushButton::clicked, this, &ULogin::onFindbackpwd);

  userIconButton_->setGeometry(20, 30, 30, 30);
  userNameEdit_->setGeometry(60, 30, 130, 30);
  userNameLine_->setGeometry(60, 60, 160, 1);
  passwordIconButton_->setGeometry(20, 70, 30, 30);
  passwordEdit_->setGeometry(60, 70, 130, 30);
  passwordLine_->setGeometry(60, 100, 160, 1);
  codeIconButton_->setGeometry(20, 110, 30, 30);
  codeEdit_->setGeometry(60, 110, 160, 30);
  codeLine_->setGeometry(60, 140, 160, 1);
  codeImageLabel_->setGeometry(20, 150, 200, 50);
  serverComboBox_->setGeometry(20, 120, 200, 35);
  loginButton_->setGeometry(20, 165, 200, 35);
  registerButton_->setGeometry(20, 210, 200, 35);
  rememberUserNameCheckBox_->setGeometry(20, 250, 100, 30);
  rememberPasswordCheckBox_->setGeometry(20, 250, 120, 30);
  forgetPasswordButton_->setGeometry(140, 250, 100, 30);
  fitBottomRow();
  autoLoginCheckBox_->setGeometry(20, 270, 200, 35);
  userListButton_->setGeometry(190, 30, 30, 30);
  passwordVisibleButton_->setGeometry(190, 70, 30, 30);

  userNameEdit_->setPlaceholderText(tr("user name"));
  passwordEdit_->setPlaceholderText(tr("password"));
  codeEdit_->setPlaceholderText(tr("verification code"));
  for (QLineEdit* edit : {userNameEdit_, passwordEdit_, codeEdit_})
    connect(edit, &QLineEdit::textChanged, this, &ULogin::on_UPVLineEdtEmpty);
  for (QWidget* codeRow : {static_cast<QWidget*>(codeIconButton_), static_cast<QWidget*>(codeEdit_),
                           static_cast<QWidget*>(codeLine_), static_cast<QWidget*>(codeImageLabel_)})
    codeRow->hide();

  name(userIconButton_, "userIconButton");
  name(userNameEdit_, "userNameEdit");
  name(userNameLine_, "userNameLine");
  name(passwordIconButton_, "passwordIconButton");
  name(passwordEdit_, "passwordEdit");
  name(passwordLine_, "passwordLine");
  name(codeIconButton_, "codeIconButton");
  name(codeEdit_, "codeEdit");
  name(codeLine_, "codeLine");
  name(codeImageLabel_, "codeImageLabel");
  name(serverComboBox_, "serverComboBox");
  name(loginButton_, "loginButton");
  name(registerButton_, "registerButton");
  name(rememberUserNameCheckBox_, "rememberUserNameCheckBox");
  name(rememberPasswordCheckBox_, "rememberPasswordCheckBox");
  name(forgetPasswordButton_, "forgetPasswordButton");
  name(autoLoginCheckBox_, "autoLoginCheckBox");
  name(userListButton_, "userListButton");
  name(passwordVisibleButton_, "passwordVisibleButton");
}

void ULogin::fitBottomRow() {
  // The row keeps its places while its texts fit them (they do in Chinese);
  // a longer text (English, a larger font) widens its widget, the forgotten-
  // password link moves right of the remember box's text, and the window
  // widens to hold it, so that no text is cut or overlaps another.
  constexpr int rightMargin = 10;
  constexpr int gap = 8;
  QRect remember = rememberPasswordCheckBox_->geometry();
  const int rememberWidth = rememberPasswordCheckBox_->sizeHint().width();
  remember.setWidth(qMax(remember.width(), rememberWidth));
  QRect forget = forgetPasswordButton_->geometry();
  const int forgetWidth = forgetPasswordButton_->sizeHint().width();
  const int textEnd = remember.left() + rememberWidth;
  if (forgetWidth > forget.width() || forget.left() < textEnd + gap) {
    const int right = qMax(forget.right(), textEnd + gap + forgetWidth - 1);
    forget = QRect(right - forgetWidth + 1, forget.top(), forgetWidth, forget.height());
  }
  // The box's clickable area stops where the link starts.
  remember.setRight(qMin(remember.right(), forget.left() - 1));
  rememberPasswordCheckBox_->setGeometry(remember);
  forgetPasswordButton_->setGeometry(forget);
  for (QCheckBox* box : {autoLoginCheckBox_, rememberUserNameCheckBox_}) {
    QRect place = box->geometry();
    place.setWidth(qMax(place.width(), box->sizeHint().width()));
    box->setGeometry(place);
  }
  const int needed = forget.right() + 1 + rightMargin;
  if (needed > width()) setFixedSize(needed, height());
}

void ULogin::fillFromRememberedUser() {
  if (rememberUserName_ != 0) userNameEdit_->setText(userName_);
  if (rememberPassword_ != 0) passwordEdit_->setText(password_);
  rememberUserNameCheckBox_->setChecked(rememberUserName_ != 0);
  rememberPasswordCheckBox_->setChecked(rememberPassword_ != 0);
  autoLoginCheckBox_->setChecked(autoLogin_ != 0);
}

void ULogin::showCodeImage() {
  const QByteArray bytes = ucommucation::getIdentyfy(g_loginCodeUrl, generatedCode_);
  QPixmap image;
  if (bytes.isEmpty())
    image.load(QStringLiteral(":/images/getidentify_error.png"));
  else if (!image.loadFromData(bytes, "jpg"))
    return;
  codeImageLabel_->setPixmap(image.scaled(codeImageLabel_->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

QString ULogin::generateVerifyCode() {
  static const QString digits = QStringLiteral("0123456789");
  static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
  QRandomGenerator random(static_cast<quint32>(QTime(0, 0).secsTo(QTime::currentTime())));
  QString code;
  for (int i = 0; i < 20; ++i) {
    if (random.generate() % 2 == 0)
      code.append(digits.at(static_cast<int>(random.generate() % 10)));
    else
      code.append(letters.at(static_cast<int>(random.generate() % 26)));
  }
  return code;
}

void ULogin::setMainWindowFactory(MainWindowFactory factory) { mainWindowFactory() = std::move(factory); }

void ULogin::autoLogin() {
  on_login();
  if (!loggedIn_) show();
}

void ULogin::on_login() {
  // The request below runs a local event loop, in which the button, the keys
  // and the timers stay live: one login at a time.
  if (loginInFlight_) return;
  const QScopedValueRollback<bool> inFlight(loginInFlight_, true);

  const QString user = userNameEdit_->text().trimmed();
  typedCode_ = codeEdit_->text();
  g_loginForm = {user, passwordEdit_->text().trimmed(), typedCode_, generatedCode_};
  const QString reply = ucommucation::loginRequest(g_loginForm);
  if (reply.isEmpty()) {
    showLoginBox(tr("network error"), QLatin1String(timeOutText), QMessageBox::Ok);
    return;
  }
  g_session = parser_.parseLoginReply(reply);
  g_session.user = user;

  if (g_session.success == QLatin1String("true")) {
    KLOG << "login successful, user" << user << "user id" << g_session.user_id;
    loggedIn_ = true;
    on_write2file();
    emit loginsuccess(true);
    hide();
    connect(g_heartTimer, &QTimer::timeout, this, &ULogin::on_heartpackageSlot, Qt::UniqueConnection);
    g_heartTimer->start(HeartbeatIntervalMs);
    openMainWindow();
    return;
  }
  const QString text = refusalText(g_session.message.toInt(nullptr, 10));
  if (text.isEmpty())
    KLOG << "login refused:" << g_session.message;
  else
    showLoginBox(tr("Tips"), text, QMessageBox::Yes);
}

void ULogin::showLoginBox(const QString& title, const QString& text, QMessageBox::StandardButton button) {
  QMessageBox box;
  box.setIcon(QMessageBox::Warning);
  box.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  box.setWindowIcon(QIcon(QStringLiteral(":/images/opc.png")));
  box.setWindowModality(Qt::ApplicationModal);
  box.setWindowTitle(title);
  box.setText(text);
  box.setStandardButtons(button);
  box.button(button)->setText(tr("Confirm"));
  box.exec();
}

void ULogin::openMainWindow() {
  if (g_mainWindow != nullptr || !mainWindowFactory()) return;
  g_mainWindow = mainWindowFactory()();
}

void ULogin::on_heartpackageSlot() {
  // The heartbeat and the re-login below wait in a local event loop, where
  // this timer fires again.
  if (reloginInFlight_ || heartbeatInFlight_) return;
  const QScopedValueRollback<bool> inFlight(heartbeatInFlight_, true);
  if (parser_.parseHeartReply(ucommucation::heartpackageRequest(g_loginForm, g_session))) {
    KLOG << "heart package accepted";
    heartFailCount_ = 0;
    if (heartLastCount_ != 0) emit httptimeoutMsg(true);
    heartLastCount_ = 0;
  } else {
    KLOG << "heart package send failed!...";
    if (++heartFailCount_ == 1) emit httptimeoutMsg(false);
    heartLastCount_ = heartFailCount_;
  }
  if (heartLastCount_ == HeartFailuresBeforeRelogin) reloginAfterHeartFailures();
}

void ULogin::reloginAfterHeartFailures() {
  const QScopedValueRollback<bool> inFlight(reloginInFlight_, true);
  const QString reply = ucommucation::loginRequest(g_loginForm);
  if (reply.isEmpty()) return;
  LoginSession session = parser_.parseLoginReply(reply);
  if (session.success != QLatin1String("true")) return;
  session.user = g_loginForm.user_tel;
  g_session = session;
  KLOG << "logged in again after" << heartLastCount_ << "failed heart packages";
}

void ULogin::on_Register() { QDesktopServices::openUrl(QUrl(g_registerUrl, QUrl::TolerantMode)); }

void ULogin::onFindbackpwd() { QDesktopServices::openUrl(QUrl(g_findPassUrl, QUrl::TolerantMode)); }

void ULogin::on_write2file() {
  // One name for the user everywhere: the trimmed one the login sends.
  userName_ = userNameEdit_->text().trimmed();
  password_ = passwordEdit_->text();
  rememberUserName_ = 1;
  rememberPassword_ = rememberPasswordCheckBox_->isChecked() ? 1 : 0;
  autoLogin_ = autoLoginCheckBox_->isChecked() ? 1 : 0;
  RememberedUsers users(SettingsFiles::userPath());
  users.setLastUser(userName_);
  users.save({userName_, password_, rememberUserName_, rememberPassword_, autoLogin_});
  if (!users.sync()) KLOG << "usr.ini could not be written";

  if (serverComboBox_->currentIndex() == 0) configuredServerAddress_ = ServerEndpoints::mainSavedAddress();
  if (serverComboBox_->currentIndex() == 1) configuredServerAddress_ = ServerEndpoints::standbySavedAddress();
  if (!writeServerAddress(configuredServerAddress_)) KLOG << "config.ini could not be written";
}

void ULogin::readFromFile() {
  const RememberedUsers users(SettingsFiles::userPath());
  const RememberedUser user = users.user(users.lastUser());
  userName_ = user.name;
  password_ = user.password;
  rememberUserName_ = user.rememberUserName;
  rememberPassword_ = user.rememberPassword;
  autoLogin_ = user.autoLogin;
  const QSettings config(SettingsFiles::configPath(), QSettings::IniFormat);
  configuredServerAddress_ = config.value(QStringLiteral("/ServerAddress"), QString()).toString();
}

void ULogin::on_UPVLineEdtEmpty() {
  auto* edit = qobject_cast<QLineEdit*>(sender());
  if (edit == nullptr || !edit->text().isEmpty()) return;
  if (edit == userNameEdit_) edit->setPlaceholderText(tr("user name"));
  if (edit == passwordEdit_) edit->setPlaceholderText(tr("password"));
  if (edit == codeEdit_) edit->setPlaceholderText(tr("verification code"));
}

void ULogin::onPwdStateBtnclicked() {
  passwordVisible_ = !passwordVisible_;
  passwordEdit_->setEchoMode(passwordVisible_ ? QLineEdit::Normal : QLineEdit::Password);
  passwordVisibleButton_->setIcon(
      QIcon(QLatin1String(passwordVisible_ ? ":/images/unversible.png" : ":/images/versible.png")));
  update();
}

void ULogin::onMutiluserBrnclicked() {
  userListShown_ = !userListShown_;
  userListButton_->setIcon(QIcon(QLatin1String(userListShown_ ? ":/images/uparrow.png" : downArrowIcon)));
  if (userListPanel_ != nullptr) userListPanel_->setVisible(userListShown_);
  update();
}

void ULogin::onChooseUser() {
  const UserItem* row = senderRow(sender());
  if (row == nullptr) return;
  const RememberedUser user = RememberedUsers(SettingsFiles::userPath()).user(row->userName());
  userName_ = user.name;
  password_ = user.password;
  rememberUserName_ = user.rememberUserName;
  rememberPassword_ = user.rememberPassword;
  autoLogin_ = user.autoLogin;
  userNameEdit_->setText(userName_);
  passwordEdit_->setText(rememberPassword_ != 0 ? password_ : QString());
  rememberPasswordCheckBox_->setChecked(rememberPassword_ != 0);
  autoLoginCheckBox_->setChecked(autoLogin_ != 0);
  closeUserListPanel();
}

void ULogin::onDeleteCurrentUser() {
  const UserItem* row = senderRow(sender());
  if (row == nullptr) return;
  userName_ = row->userName();
  RememberedUsers users(SettingsFiles::userPath());
  if (users.lastUser() == userName_) {
    users.setLastUser(QString());
    userNameEdit_->clear();
    passwordEdit_->clear();
    rememberPasswordCheckBox_->setChecked(false);
  }
  users.remove(userName_);
  users.sync();
  rebuildUserListPanel(users.names());
}

void ULogin::rebuildUserListPanel(const QStringList& names) {
  // The old panel holds the row whose signal is still being handled.
  if (userListPanel_ != nullptr) userListPanel_->deleteLater();
  userListPanel_ = new QWidget(this);
  name(userListPanel_, "userListPanel");
  for (int i = 0; i < names.size(); ++i) {
    auto* row = new UserItem(names.at(i), userListPanel_);
    row->setGeometry(0, 30 * i, 160, 30);
    row->setStyleSheet(QLatin1String(userRowStyle));
    connect(row, &UserItem::clicked, this, &ULogin::onChooseUser);
    connect(row, &UserItem::deleteCurrentUser, this, &ULogin::onDeleteCurrentUser);
  }
  userListPanel_->setGeometry(60, 61, 160, 30 * names.size());
  closeUserListPanel();
}

void ULogin::closeUserListPanel() {
  if (userListPanel_ != nullptr) userListPanel_->hide();
  userListShown_ = false;
  userListButton_->setIcon(QIcon(QLatin1String(downArrowIcon)));
  update();
}

void ULogin::on_svrAddrChanged(int index) {
  if (index == 0) g_serverAddress = ServerEndpoints::mainRequestAddress();
  if (index == 1) g_serverAddress = ServerEndpoints::standbyRequestAddress();
  buildPlatformUrls();
}

void ULogin::mousePressEvent(QMouseEvent*) {}

void ULogin::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) on_login();
}

void ULogin::paintEvent(QPaintEvent*) {
  QStyleOption option;
  option.initFrom(this);
  QPainter painter(this);
  style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
