#pragma once

#include <QObject>

class QTimer;
class QWebSocket;

// Checks that the peer of one WebSocket connection is alive. While the socket
// is connected a ping goes out every period, one at a time, and its pong is
// awaited for a while; a peer that stays silent, such as a platform that hangs
// with its connection open, has the connection aborted, so the socket reports
// it lost as it reports any other loss.
class LivenessCheck : public QObject {
  Q_OBJECT

public:
  LivenessCheck(QWebSocket* socket, int periodMs, int pongWaitMs, QObject* parent);

  // Pings now, unless a ping still awaits its pong.
  void ping();

signals:
  // A ping went out: what was sent before it is confirmed by its pong.
  void pinged();
  // The pong of the last ping came back: the peer has read everything sent
  // before that ping.
  void alive();

private:
  void start();
  void stop();
  void onPong();
  void onSilent();

  QWebSocket* m_socket;
  QTimer* m_pingTimer;
  QTimer* m_pongDeadline;
};
