#pragma once

#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QUrl>

#include "devconfig.h"
#include "msgtype.h"
#include "websocketperiods.h"

class QTimer;
class QWebSocket;

// Guards the pending writes of the WebSocket client.
extern QMutex g_writeMutex;

// The two WebSocket channels to the platform, kept open for the whole run.
// The read channel carries read requests out and pushed values in; the write
// channel carries the OPC clients' writes out, in one batch per period, and a
// keep-alive. A lost channel is reopened every reconnect period while
// m_reTryflag is set. Every incoming text goes to the bridge, except the
// platform's token error, which is reported instead. Lives on the GUI thread.
class uwebsocket : public QObject {
  Q_OBJECT

public:
  // Keeps a copy of the configuration; initWebSocket must run next.
  explicit uwebsocket(QList<DevConfig> configs, QObject* parent = nullptr, WebSocketPeriods periods = {});

  // Creates and connects the sockets and timers, and opens both channels on
  // the current server address with this run's connection code.
  void initWebSocket();
  // Sends one read request for a device (empty data code: all its variables)
  // or one of its variables, with the session's user id and token.
  void sendReadRequest(const QString& sn_code, const QString& data_code);

  // While set, lost channels are reopened. focus_close_ws clears it; a
  // successful re-login sets it again before calling reconnect and wWsReconnect.
  bool m_reTryflag = true;

signals:
  void getNewMessageSignal(QString msg);
  void token_error_and_restart_app();

public slots:
  void MessageHandleSlot(MsgType msgType, const QString& msgContext);
  // One OPC client write; kept until a batch has carried it out.
  void on_writeNewRealTimeValue(const QString& sncode, int datacode, const QString& newValue);
  void focus_close_ws();

  void onDisconnected();
  void onConnected();
  void onTextReceived(const QString& msg);
  void reconnect();
  void getAllRealtimeValuesWsRequest();

  void onWWsDisconnected();
  void onWWsConnected();
  void wWsReconnect();
  void wsheart();
  void on_sendweb();

private:
  QTimer* newTimer(int period, void (uwebsocket::*slot)());
  QWebSocket* newSocket(void (uwebsocket::*onConnected)(), void (uwebsocket::*onDisconnected)());
  QString batchText(const QMap<QString, QString>& writes) const;

  QWebSocket* m_readSocket = nullptr;
  QWebSocket* m_writeSocket = nullptr;
  QTimer* m_readReconnectTimer = nullptr;
  QTimer* m_writeReconnectTimer = nullptr;
  QTimer* m_heartTimer = nullptr;
  QTimer* m_sendTimer = nullptr;
  qint32 m_code = 0;
  QUrl m_readUrl;
  QUrl m_writeUrl;
  QList<DevConfig> m_devConfigs;
  // "<serial>_<data code>" -> the newest value written to that variable.
  QMap<QString, QString> m_pendingWrites;
  const WebSocketPeriods m_periods;
};
