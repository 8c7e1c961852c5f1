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

class LivenessCheck;
class QTimer;
class QWebSocket;

// Guards the pending writes of the WebSocket client.
extern QMutex g_writeMutex;

// The two WebSocket channels to the platform, kept open for the whole run.
// The read channel carries read requests out and pushed values in; the write
// channel carries the OPC clients' writes out, in one batch per period, and a
// keep-alive. Both check that the platform is alive with pings; a silent
// platform counts as a lost channel. A lost channel is reopened every
// reconnect period while m_reTryflag is set. A write stays until the batch
// that carried it was confirmed by the pong of a later ping; a batch whose
// connection was lost before that goes out again after the reopen, unless a
// newer write replaced its value. Every incoming text goes to the bridge,
// except the platform's token error, which is reported instead. Lives on the
// GUI thread.
class uwebsocket : public QObject {
  Q_OBJECT

public:
  // The longest message either channel takes; a longer one ends its
  // connection unread, and the channel is reopened as after any loss.
  static constexpr qint64 MessageLimit = 16 * 1024 * 1024;

  // Keeps a copy of the configuration; initWebSocket must run next.
  explicit uwebsocket(QList<DevConfig> configs, QObject* parent = nullptr, WebSocketPeriods periods = {});

  // Creates and connects the sockets and timers, and opens both channels on
  // the current server address with this run's connection code.
  void initWebSocket();
  // Sends one read request for a device (empty data code: all its variables)
  // or one of its variables, with the session's user id and token.
  void sendReadRequest(const QString& sn_code, const QString& data_code);

  // For the program's end: sends the pending writes at once (opening the
  // write channel first when it is down) and waits in a local event loop
  // until the platform has confirmed every write, or `waitMs` has passed.
  // Returns whether every write was confirmed.
  bool sendPendingWritesBeforeQuit(int waitMs);

  // While set, lost channels are reopened. focus_close_ws clears it; a
  // successful re-login sets it again before calling reconnect and wWsReconnect.
  bool m_reTryflag = true;

signals:
  void getNewMessageSignal(QString msg);
  void token_error_and_restart_app();
  // The read channel, connected until now, is lost.
  void readChannelLost();

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
  void onWriteChannelPinged();
  void onWriteChannelAlive();
  bool everyWriteConfirmed() const;

  QWebSocket* m_readSocket = nullptr;
  QWebSocket* m_writeSocket = nullptr;
  QTimer* m_readReconnectTimer = nullptr;
  QTimer* m_writeReconnectTimer = nullptr;
  QTimer* m_heartTimer = nullptr;
  QTimer* m_sendTimer = nullptr;
  LivenessCheck* m_writeLiveness = nullptr;
  qint32 m_code = 0;
  QUrl m_readUrl;
  QUrl m_writeUrl;
  QList<DevConfig> m_devConfigs;
  bool m_readConnected = false;
  // "<serial>_<data code>" -> the newest value written to that variable.
  // g_writeMutex guards the three maps.
  QMap<QString, QString> m_pendingWrites;
  // Sent since the last ping of the write channel went out.
  QMap<QString, QString> m_sentBeforePing;
  // Sent before the ping whose pong is awaited.
  QMap<QString, QString> m_sentBeforePong;
  const WebSocketPeriods m_periods;
};
