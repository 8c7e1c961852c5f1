#pragma once

#include <QDialog>
#include <QList>
#include <QMap>
#include <QString>
#include <QSystemTrayIcon>

#include "devconfig.h"
#include "devinfo.h"
#include "retrydelay.h"
#include "ujsonparser.h"
#include "websocketperiods.h"

class QAction;
class QCloseEvent;
class QMenu;
class QTimer;
class propertyConfigWidget;
class uwebsocket;

// The program's main window, created hidden after the first successful login.
// Its configuration step fetches the devices and their variables and starts
// the WebSocket client and the OPC bridge on them. It lives in the tray:
// closing it only hides it while the tray icon shows, the tray menu opens it
// again or quits the program, and a click on the icon shows how many OPC
// clients are connected. A desktop without a tray could reach none of that,
// so there the window shows itself after the configuration step and closing
// it ends the program. A token error of the platform closes both channels and
// logs in again, as often as it takes, with a growing wait between tries,
// then reopens them.
class ZelvoOpcSrv : public QDialog {
  Q_OBJECT

public:
  static constexpr int BalloonDisplayMs = 10000;
  // How long quitting waits for the pending client writes to be confirmed.
  static constexpr int QuitWriteWaitMs = 2000;

  // The WebSocket client's timers run with `periods`.
  explicit ZelvoOpcSrv(QWidget* parent = nullptr, WebSocketPeriods periods = {});

  // Fetches the device list and each device's variables, creates the
  // WebSocket client and the bridge (stored in g_opcServer) on them, runs
  // the bridge's init and connects them to each other and to the window.
  // Neither of the two is owned by the window. Without a system tray the
  // window then shows itself.
  void InitializeConfigData();

  uwebsocket* webSocketClient() const { return m_webSocket; }
  // One of the window's own steps waits for the platform in a local event
  // loop, further down the stack: the window must not go before it returns.
  bool waitingForThePlatform() const { return m_configuring || m_reloggingIn; }
  QSystemTrayIcon* trayIcon() const { return m_trayIcon; }

public slots:
  void showDevsState();
  void AppQuit();
  void on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason);
  // Closes both channels and plans the login that reopens them: at once,
  // unless the platform refused the session of the last re-login before it
  // sent anything else, which makes the wait longer each time.
  void on_token_error_and_restart_app();

  // Esc: the window goes as closing it would, so the program runs on in the
  // tray; only "Quit Application" (or closing, where there is no tray) ends it.
  void reject() override;

protected:
  void closeEvent(QCloseEvent* event) override;
  // Shows a balloon message at the tray icon.
  virtual void showTrayMessage(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon,
                               int displayMs);
  // Whether the desktop has a system tray to hold the icon and its menu.
  virtual bool systemTrayAvailable() const;

private:
  // One login try after a token error: a success reopens both channels, a
  // failure plans the next try after a longer wait.
  void reloginAfterTokenError();
  void planRelogin();
  // A message of the platform other than its token error: the session works.
  void onPlatformMessage();
  // Closing hides the window rather than ending the program.
  bool livesInTray() const;

  QSystemTrayIcon* m_trayIcon;
  QAction* m_openAction;
  QAction* m_quitAction;
  QMenu* m_trayMenu;
  ujsonparser m_parser;
  QMap<QString, DevInfo> m_devices;
  uwebsocket* m_webSocket = nullptr;
  propertyConfigWidget* m_configWidget;
  const WebSocketPeriods m_periods;
  // Set while a login after a token error waits for its reply in a local
  // event loop, where a second token error may arrive.
  bool m_reloggingIn = false;
  QTimer* m_reloginTimer;
  RetryDelay m_reloginDelay;
  // From a successful re-login until the platform sends something other than
  // its token error.
  bool m_sessionUnproven = false;
  // Set once "Quit Application" was chosen.
  bool m_quitting = false;
  // Set while the configuration step fetches from the platform.
  bool m_configuring = false;
};
