#pragma once

#include <QDialog>
#include <QList>
#include <QMap>
#include <QString>
#include <QSystemTrayIcon>

#include "devconfig.h"
#include "devinfo.h"
#include "ujsonparser.h"
#include "websocketperiods.h"

class QAction;
class QCloseEvent;
class QMenu;
class propertyConfigWidget;
class uwebsocket;

// The program's main window, created hidden after the first successful login.
// Its configuration step fetches the devices and their variables and starts
// the WebSocket client and the OPC bridge on them. It lives in the tray:
// closing it only hides it while the tray icon shows, the tray menu opens it
// again or quits the program, and a click on the icon shows how many OPC
// clients are connected. A desktop without a tray could reach none of that,
// so there the window shows itself after the configuration step and closing
// it ends the program. A token error of the platform logs in again.
class ZelvoOpcSrv : public QDialog {
  Q_OBJECT

public:
  // Login tries after a token error.
  static constexpr int LoginTries = 4;
  static constexpr int BalloonDisplayMs = 10000;

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
  // Set while the token-error slot logs in again: its login requests run a
  // local event loop, where a second token error may arrive.
  bool m_reloggingIn = false;
  // Set while the configuration step fetches from the platform.
  bool m_configuring = false;
};
