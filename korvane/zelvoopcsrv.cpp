#include "zelvoopcsrv.h"

#include <utility>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QStringList>
#include <QTimer>

#include "Vorlix.h"
#include "klog.h"
#include "korvane.h"
#include "loginform.h"
#include "loginsession.h"
#include "propertyconfigwidget.h"
#include "ucommucation.h"
#include "ulogin.h"
#include "uwebsocket.h"

namespace {
const char* const programIcon = ":/images/opc.png";
}  // namespace

ZelvoOpcSrv::ZelvoOpcSrv(QWidget* parent, WebSocketPeriods periods)
    : QDialog(parent), m_periods(periods), m_reloginDelay(periods.reloginFirst, periods.reloginLongest) {
  setWindowIcon(QIcon(QLatin1String(programIcon)));
  setWindowTitle(QStringLiteral("Zelvo OPC"));

  m_trayIcon = new QSystemTrayIcon(this);
  m_trayIcon->setIcon(QIcon(QLatin1String(programIcon)));
  m_trayIcon->setToolTip(QStringLiteral("Zelvo OPC Server"));
  connect(m_trayIcon, &QSystemTrayIcon::activated, this, &ZelvoOpcSrv::on_activatedSysTrayIcon);

  m_openAction = new QAction(QIcon(QLatin1String(programIcon)), tr("Open Window"), this);
  connect(m_openAction, &QAction::triggered, this, &ZelvoOpcSrv::showDevsState);
  m_quitAction = new QAction(tr("Quit Application"), this);
  connect(m_quitAction, &QAction::triggered, this, &ZelvoOpcSrv::AppQuit);

  m_trayMenu = new QMenu(this);
  m_trayMenu->addAction(m_openAction);
  m_trayMenu->addAction(m_quitAction);
  m_trayIcon->setContextMenu(m_trayMenu);
  m_trayIcon->show();

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_configWidget = new propertyConfigWidget(this);
  layout->addWidget(m_configWidget);

  m_reloginTimer = new QTimer(this);
  m_reloginTimer->setSingleShot(true);
  connect(m_reloginTimer, &QTimer::timeout, this, &ZelvoOpcSrv::reloginAfterTokenError);
}

void ZelvoOpcSrv::InitializeConfigData() {
  // The requests below wait with the event loop running; the step runs once.
  if (m_configuring || m_webSocket != nullptr) return;
  m_configuring = true;
  m_devices = m_parser.parseDeviceList(ucommucation::deviceListRequest(g_session));
  const QStringList serials = m_devices.keys();
  KLOG << QStringLiteral("[all device- num:%1 sn->]:").arg(serials.size()) << serials;

  // Many devices' configurations are fetched side by side, in serial order.
  const QStringList replies = ucommucation::realtimeConfRequests(g_session, serials);
  QList<DevConfig> configs;
  for (int i = 0; i < serials.size(); ++i) {
    const QString& reply = replies.at(i);
    KLOG << reply;
    // A device whose configuration cannot be had still takes its place, empty.
    configs.append(m_parser.parseRealtimeConf(reply, serials.at(i)));
    KLOG << reply;
  }

  m_webSocket = new uwebsocket(configs, nullptr, m_periods);
  m_webSocket->initWebSocket();
  auto* bridge = new korvane(configs);
  setOpcServer(bridge);
  // Without its server the program would run on publishing nothing, unseen.
  if (!bridge->init(configs)) QMessageBox::warning(this, tr("Zelvo OPC Server"), bridge->initFailure());
  KLOG << "[size of inofs:]" << configs.size();

  connect(bridge, &korvane::MessageHandleSignal, m_webSocket, &uwebsocket::MessageHandleSlot);
  connect(m_webSocket, &uwebsocket::getNewMessageSignal, bridge, &korvane::getNewMessageSlot);
  connect(bridge, &korvane::writeNewRealTimeValue, m_webSocket, &uwebsocket::on_writeNewRealTimeValue);
  connect(bridge, &korvane::curAllDeviceStat, m_configWidget, &propertyConfigWidget::curAllDeviceStat);
  connect(m_webSocket, &uwebsocket::token_error_and_restart_app, this, &ZelvoOpcSrv::on_token_error_and_restart_app);
  connect(m_webSocket, &uwebsocket::readChannelLost, bridge, &korvane::on_readChannelLost);
  connect(m_webSocket, &uwebsocket::getNewMessageSignal, this, &ZelvoOpcSrv::onPlatformMessage);
  m_configuring = false;

  // Nothing else would ever show the window, its pages or the way to quit.
  if (!systemTrayAvailable()) {
    KLOG << "no system tray: the main window is shown, closing it ends the program";
    showNormal();
  }
}

void ZelvoOpcSrv::showDevsState() { showNormal(); }

void ZelvoOpcSrv::AppQuit() {
  // This may run inside a signal of the window's own tray menu: the window
  // goes from the event loop, and the loop ends after it. A window whose own
  // step still waits for the platform further down the stack goes once that
  // step has returned.
  if (std::exchange(m_quitting, true)) return;
  QTimer::singleShot(0, QCoreApplication::instance(), [self = QPointer<ZelvoOpcSrv>(this)] {
    // Writes the OPC clients were told are done reach the platform first.
    if (self != nullptr && self->m_webSocket != nullptr) self->m_webSocket->sendPendingWritesBeforeQuit(QuitWriteWaitMs);
    QWidget* window = std::exchange(g_mainWindow, nullptr);
    const auto* main = qobject_cast<ZelvoOpcSrv*>(window);
    if (main != nullptr && main->waitingForThePlatform())
      window->deleteLater();
    else
      delete window;
    QCoreApplication::quit();
  });
}

void ZelvoOpcSrv::on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      showNormal();
      break;
    case QSystemTrayIcon::Trigger:
      showTrayMessage(QStringLiteral("ZelvoOPC"), tr("connected clients:") + QString::number(NumbrClientConnections()),
                      QSystemTrayIcon::Information, BalloonDisplayMs);
      break;
    default:
      break;
  }
}

void ZelvoOpcSrv::showTrayMessage(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon,
                                  int displayMs) {
  m_trayIcon->showMessage(title, text, icon, displayMs);
}

void ZelvoOpcSrv::on_token_error_and_restart_app() {
  // With a login planned or under way, the token error belongs to the session
  // being replaced.
  if (m_reloggingIn || m_reloginTimer->isActive()) return;
  m_webSocket->focus_close_ws();
  if (std::exchange(m_sessionUnproven, false)) m_reloginDelay.failed();
  planRelogin();
}

void ZelvoOpcSrv::planRelogin() {
  KLOG << QStringLiteral("token error: logging in again in %1 ms").arg(m_reloginDelay.currentMs());
  m_reloginTimer->start(m_reloginDelay.currentMs());
}

void ZelvoOpcSrv::reloginAfterTokenError() {
  const QScopedValueRollback<bool> relogging(m_reloggingIn, true);
  const QString reply = ucommucation::loginRequest(g_loginForm);
  if (!reply.isEmpty()) {
    g_session = m_parser.parseLoginReply(reply);
    g_session.user = g_loginForm.user_tel;
    if (g_session.success == QLatin1String("true")) {
      KLOG << "token error: logged in again, the channels reopen";
      m_sessionUnproven = true;
      m_webSocket->m_reTryflag = true;
      m_webSocket->reconnect();
      m_webSocket->wWsReconnect();
      return;
    }
  }
  m_reloginDelay.failed();
  planRelogin();
}

void ZelvoOpcSrv::onPlatformMessage() {
  m_sessionUnproven = false;
  m_reloginDelay.succeeded();
}

void ZelvoOpcSrv::reject() { close(); }

bool ZelvoOpcSrv::systemTrayAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool ZelvoOpcSrv::livesInTray() const { return systemTrayAvailable() && m_trayIcon->isVisible(); }

void ZelvoOpcSrv::closeEvent(QCloseEvent* event) {
  if (livesInTray()) {
    hide();
    event->ignore();
    return;
  }
  // Without a tray nothing could open the window again or quit the program.
  if (!systemTrayAvailable()) AppQuit();
}
