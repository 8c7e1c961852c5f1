#include "uwebsocket.h"

#include <memory>
#include <utility>

#include <QEventLoop>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QTime>
#include <QTimer>
#include <QWebSocket>

#include <json/value.h>
#include <json/writer.h>

#include "klog.h"
#include "livenesscheck.h"
#include "loginsession.h"
#include "platformurls.h"

QMutex g_writeMutex;

namespace {

// The platform's answer to a request with an unknown user id or token.
const QString tokenErrorMarker = QStringLiteral("\"message\":\"100009\"");

// `text` as a JSON string, quotes included; UTF-8 stays as it is.
QString jsonString(const QString& text) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return QString::fromStdString(Json::writeString(builder, Json::Value(text.toStdString())));
}

// A number for both channels' URLs that stays the same for the whole run:
// the next number of a generator seeded with the seconds since local midnight,
// from 0 up to 2147483647.
qint32 connectionCode() {
  QRandomGenerator generator(static_cast<quint32>(QTime(0, 0).secsTo(QTime::currentTime())));
  return static_cast<qint32>(generator.generate() & 0x7fffffffu);
}

}  // namespace

uwebsocket::uwebsocket(QList<DevConfig> configs, QObject* parent, WebSocketPeriods periods)
    : QObject(parent), m_devConfigs(std::move(configs)), m_periods(periods) {
  qRegisterMetaType<MsgType>("MsgType");
}

void uwebsocket::initWebSocket() {
  {
    QMutexLocker lock(&g_writeMutex);
    m_pendingWrites.clear();
    m_sentBeforePing.clear();
    m_sentBeforePong.clear();
  }
  m_heartTimer = newTimer(m_periods.keepAlive, &uwebsocket::wsheart);
  m_sendTimer = newTimer(m_periods.batch, &uwebsocket::on_sendweb);
  m_sendTimer->start();
  m_readSocket = newSocket(&uwebsocket::onConnected, &uwebsocket::onDisconnected);
  m_readReconnectTimer = newTimer(m_periods.reconnect, &uwebsocket::reconnect);
  m_writeSocket = newSocket(&uwebsocket::onWWsConnected, &uwebsocket::onWWsDisconnected);
  m_writeReconnectTimer = newTimer(m_periods.reconnect, &uwebsocket::wWsReconnect);
  new LivenessCheck(m_readSocket, m_periods.liveness, m_periods.pongWait, this);
  m_writeLiveness = new LivenessCheck(m_writeSocket, m_periods.liveness, m_periods.pongWait, this);
  connect(m_writeLiveness, &LivenessCheck::pinged, this, &uwebsocket::onWriteChannelPinged);
  connect(m_writeLiveness, &LivenessCheck::alive, this, &uwebsocket::onWriteChannelAlive);

  m_code = connectionCode();
  const QString code = QString::number(m_code);
  m_readUrl = QUrl(QStringLiteral("ws://%1/ZirOrurodaz/getDataWebsocket?type=pc&code=%2").arg(g_serverAddress, code));
  m_writeUrl = QUrl(QStringLiteral("ws://%1/ZirOrurodaz/websocketTest?type=pc&code=%2").arg(g_serverAddress, code));
  KLOG << "[websocket-read]:" + m_readUrl.toString();
  KLOG << "[websocket-write]:" + m_writeUrl.toString();

  m_readSocket->open(m_readUrl);
  m_writeSocket->open(m_writeUrl);
}

// Timers and sockets belong to this object, so they go with it.
QTimer* uwebsocket::newTimer(int period, void (uwebsocket::*slot)()) {
  auto* timer = new QTimer(this);
  timer->setInterval(period);
  connect(timer, &QTimer::timeout, this, slot);
  return timer;
}

QWebSocket* uwebsocket::newSocket(void (uwebsocket::*onConnected)(), void (uwebsocket::*onDisconnected)()) {
  auto* socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
  // Qt reads neither a frame nor a message past these limits: it closes the
  // connection with "too much data" instead. The close code stays with the
  // socket after that connection, and the closing is announced more than
  // once, so the drop is logged once per connection.
  socket->setMaxAllowedIncomingFrameSize(MessageLimit);
  socket->setMaxAllowedIncomingMessageSize(MessageLimit);
  auto dropLogged = std::make_shared<bool>(false);
  connect(socket, &QWebSocket::connected, this, [dropLogged] { *dropLogged = false; });
  connect(socket, &QWebSocket::aboutToClose, this, [socket, dropLogged] {
    if (socket->closeCode() != QWebSocketProtocol::CloseCodeTooMuchData || std::exchange(*dropLogged, true)) return;
    KLOG << QStringLiteral("message longer than %1 bytes dropped with its connection: ").arg(MessageLimit) +
                socket->requestUrl().toString();
  });
  connect(socket, &QWebSocket::connected, this, onConnected);
  connect(socket, &QWebSocket::disconnected, this, onDisconnected);
  connect(socket, &QWebSocket::textMessageReceived, this, &uwebsocket::onTextReceived);
  // A refused handshake leaves the socket connecting for as long as the server
  // keeps the connection open. Ending it, once the socket has finished
  // reporting, makes the channel count as lost, so it is retried.
  connect(socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this, [socket] {
    KLOG << "websocket error:" + socket->errorString();
    QTimer::singleShot(0, socket, [socket] {
      if (socket->state() == QAbstractSocket::ConnectingState) socket->abort();
    });
  });
  return socket;
}

void uwebsocket::sendReadRequest(const QString& sn_code, const QString& data_code) {
  const QString request =
      QStringLiteral(R"({"req_type":1,"user_id":%1,"user_token":%2,"devRealData":[{"sn_code":%3,"data_code":%4}]})")
          .arg(QString::number(g_session.user_id), jsonString(g_session.token), jsonString(sn_code),
               jsonString(data_code));
  m_readSocket->sendTextMessage(request);
}

void uwebsocket::MessageHandleSlot(MsgType msgType, const QString& msgContext) {
  switch (msgType) {
    case MsgOneVariable: {
      // The data code is decimal, so the last "_" ends the serial number,
      // whatever the serial number holds.
      const int cut = msgContext.lastIndexOf(QLatin1Char('_'));
      if (cut >= 0) sendReadRequest(msgContext.left(cut), msgContext.mid(cut + 1));
      break;
    }
    case MsgOneDevice:
      sendReadRequest(msgContext, QString());
      break;
    case MsgAllDevices:
      getAllRealtimeValuesWsRequest();
      break;
    default:
      break;
  }
}

void uwebsocket::getAllRealtimeValuesWsRequest() {
  for (const DevConfig& config : m_devConfigs)
    for (const DataGroup& group : config.groups)
      for (const DataInfo& variable : group.variables)
        sendReadRequest(variable.sn_code, QString::number(variable.data_code));
}

void uwebsocket::on_writeNewRealTimeValue(const QString& sncode, int datacode, const QString& newValue) {
  QMutexLocker lock(&g_writeMutex);
  m_pendingWrites.insert(sncode + QLatin1Char('_') + QString::number(datacode), newValue);
}

// The pending writes leave only when the write channel takes the batch; until
// then they wait for the next period, where newer writes replace them. Sent,
// they wait for the write channel's next ping to be answered.
void uwebsocket::on_sendweb() {
  QMutexLocker lock(&g_writeMutex);
  if (m_pendingWrites.isEmpty()) return;
  if (m_writeSocket->state() != QAbstractSocket::ConnectedState) {
    KLOG << QStringLiteral("write websocket is not connected, %1 writes kept for the next batch")
                .arg(m_pendingWrites.size());
    return;
  }
  const QMap<QString, QString> writes = m_pendingWrites;
  lock.unlock();

  const QString batch = batchText(writes);
  const qint64 bytes = m_writeSocket->sendTextMessage(batch);
  KLOG << "send_json:" + batch + "  bytes:" + QString::number(bytes);
  if (bytes != batch.toUtf8().size()) {
    KLOG << QStringLiteral("batch not taken, %1 writes kept for the next batch").arg(writes.size());
    return;
  }

  lock.relock();
  for (auto sent = writes.cbegin(); sent != writes.cend(); ++sent) {
    m_sentBeforePing.insert(sent.key(), sent.value());
    auto pending = m_pendingWrites.find(sent.key());
    if (pending != m_pendingWrites.end() && pending.value() == sent.value()) m_pendingWrites.erase(pending);
  }
}

void uwebsocket::onWriteChannelPinged() {
  QMutexLocker lock(&g_writeMutex);
  for (auto sent = m_sentBeforePing.cbegin(); sent != m_sentBeforePing.cend(); ++sent)
    m_sentBeforePong.insert(sent.key(), sent.value());
  m_sentBeforePing.clear();
}

void uwebsocket::onWriteChannelAlive() {
  QMutexLocker lock(&g_writeMutex);
  if (m_sentBeforePong.isEmpty()) return;
  KLOG << QStringLiteral("%1 writes confirmed").arg(m_sentBeforePong.size());
  m_sentBeforePong.clear();
}

bool uwebsocket::everyWriteConfirmed() const {
  QMutexLocker lock(&g_writeMutex);
  return m_pendingWrites.isEmpty() && m_sentBeforePing.isEmpty() && m_sentBeforePong.isEmpty();
}

bool uwebsocket::sendPendingWritesBeforeQuit(int waitMs) {
  if (m_writeSocket == nullptr) return true;
  QEventLoop loop;
  // Every step towards the end: a channel to send on, the batch, the ping
  // whose pong confirms it; each event that may allow the next one runs it.
  const auto step = [this, &loop] {
    if (everyWriteConfirmed()) return loop.quit();
    if (m_writeSocket->state() == QAbstractSocket::UnconnectedState && m_reTryflag) m_writeSocket->open(m_writeUrl);
    if (m_writeSocket->state() != QAbstractSocket::ConnectedState) return;
    on_sendweb();
    m_writeLiveness->ping();
  };
  QTimer deadline;
  deadline.setSingleShot(true);
  connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  const QMetaObject::Connection connected = connect(m_writeSocket, &QWebSocket::connected, &loop, step);
  const QMetaObject::Connection confirmed = connect(m_writeLiveness, &LivenessCheck::alive, &loop, step);
  const QMetaObject::Connection lost = connect(m_writeSocket, &QWebSocket::disconnected, &loop, step);
  deadline.start(waitMs);
  // Writes still queued towards this thread are taken first.
  QTimer::singleShot(0, &loop, step);
  loop.exec();
  disconnect(connected);
  disconnect(confirmed);
  disconnect(lost);
  const bool done = everyWriteConfirmed();
  if (!done) KLOG << "quitting with writes the platform has not confirmed";
  return done;
}

QString uwebsocket::batchText(const QMap<QString, QString>& writes) const {
  Json::Value batch;
  batch["req_type"] = 1;
  batch["user_id"] = g_session.user_id;
  batch["user_token"] = g_session.token.toStdString();
  batch["batch_flag"] = true;
  Json::Value& list = batch["data_list"] = Json::Value(Json::arrayValue);
  for (auto write = writes.cbegin(); write != writes.cend(); ++write) {
    const int cut = write.key().lastIndexOf(QLatin1Char('_'));
    Json::Value entry;
    entry["data"] = write.value().toStdString();
    entry["data_code"] = write.key().mid(cut + 1).toStdString();
    entry["sn_code"] = write.key().left(cut).toStdString();
    list.append(entry);
  }
  return QString::fromStdString(Json::FastWriter().write(batch));
}

void uwebsocket::wsheart() {
  const qint64 bytes = m_writeSocket->sendTextMessage(QString());
  qDebug() << "[uwebsocket:wsheart]" << "[bytes]:" << bytes;
}

void uwebsocket::onTextReceived(const QString& msg) {
  if (msg.contains(tokenErrorMarker)) {
    emit token_error_and_restart_app();
    return;
  }
  emit getNewMessageSignal(msg);
}

// Closing for a re-login: the channels stay closed until the re-login has
// succeeded and sets m_reTryflag again.
void uwebsocket::focus_close_ws() {
  m_reTryflag = false;
  if (m_readSocket) m_readSocket->abort();
  if (m_writeSocket) m_writeSocket->abort();
}

void uwebsocket::onConnected() {
  m_readConnected = true;
  m_readReconnectTimer->stop();
  KLOG << "read websocket connect successful";
}

void uwebsocket::onDisconnected() {
  m_readReconnectTimer->start();
  KLOG << "read websocket is disconnected";
  if (std::exchange(m_readConnected, false)) emit readChannelLost();
}

void uwebsocket::reconnect() {
  KLOG << "read websocket reconnected";
  if (!m_reTryflag) return;
  KLOG << "m_reTryflag=true read websocket reconnected";
  m_readSocket->open(m_readUrl);
}

void uwebsocket::onWWsConnected() {
  m_writeReconnectTimer->stop();
  m_heartTimer->start();
  KLOG << "write websocket connect successful";
}

// What was sent but not confirmed may never have reached the platform: it
// goes out again, unless a newer write for its variable waits already.
void uwebsocket::onWWsDisconnected() {
  m_writeReconnectTimer->start();
  m_heartTimer->stop();
  KLOG << "write websocket is disconnected";
  QMutexLocker lock(&g_writeMutex);
  int again = 0;
  // The newer of two unconfirmed values of a variable comes first.
  for (const QMap<QString, QString>* sent : {&m_sentBeforePing, &m_sentBeforePong})
    for (auto write = sent->cbegin(); write != sent->cend(); ++write)
      if (!m_pendingWrites.contains(write.key())) {
        m_pendingWrites.insert(write.key(), write.value());
        ++again;
      }
  if (again > 0) KLOG << QStringLiteral("%1 unconfirmed writes are sent again").arg(again);
  m_sentBeforePing.clear();
  m_sentBeforePong.clear();
}

void uwebsocket::wWsReconnect() {
  KLOG << "write websocket reconnected";
  if (!m_reTryflag) return;
  KLOG << "m_reTryflag==true websocket reconnected";
  m_writeSocket->open(m_writeUrl);
}
