#include "livenesscheck.h"

#include <QTimer>
#include <QWebSocket>

#include "klog.h"

LivenessCheck::LivenessCheck(QWebSocket* socket, int periodMs, int pongWaitMs, QObject* parent)
    : QObject(parent), m_socket(socket), m_pingTimer(new QTimer(this)), m_pongDeadline(new QTimer(this)) {
  m_pingTimer->setInterval(periodMs);
  m_pongDeadline->setInterval(pongWaitMs);
  m_pongDeadline->setSingleShot(true);
  connect(m_pingTimer, &QTimer::timeout, this, &LivenessCheck::ping);
  connect(m_pongDeadline, &QTimer::timeout, this, &LivenessCheck::onSilent);
  connect(socket, &QWebSocket::connected, this, &LivenessCheck::start);
  connect(socket, &QWebSocket::disconnected, this, &LivenessCheck::stop);
  connect(socket, &QWebSocket::pong, this, &LivenessCheck::onPong);
}

void LivenessCheck::start() { m_pingTimer->start(); }

void LivenessCheck::stop() {
  m_pingTimer->stop();
  m_pongDeadline->stop();
}

// One ping at a time, so that a pong always answers the last ping and
// confirms what went out before it.
void LivenessCheck::ping() {
  if (m_pongDeadline->isActive()) return;
  m_socket->ping();
  m_pongDeadline->start();
  emit pinged();
}

void LivenessCheck::onPong() {
  if (!m_pongDeadline->isActive()) return;
  m_pongDeadline->stop();
  emit alive();
}

void LivenessCheck::onSilent() {
  KLOG << "websocket peer silent, connection dropped:" + m_socket->requestUrl().toString();
  stop();
  m_socket->abort();
}
