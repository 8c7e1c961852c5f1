#pragma once

#include <atomic>
#include <string>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <curl/curl.h>

#include "loginform.h"
#include "loginsession.h"

// The platform's HTTP requests. Every request blocks until it has a result
// and returns the reply body, whatever the HTTP status, or what arrived before
// its time limit: empty when nothing came. A body over ReplyBodyLimit fails
// the request: its reply is empty. Failures are never thrown. Every request
// waits in a local event loop, so the caller's timers, sockets and windows
// keep running: the code image and the login are Qt's own asynchronous
// requests, the authenticated ones libcurl transfers on a worker thread.
class ucommucation : public QObject {
  Q_OBJECT

public:
  using WriteFunction = size_t (*)(char* data, size_t size, size_t count, void* body);

  static constexpr int CodeImageTimeLimitMs = 2000;
  static constexpr int LoginTimeLimitMs = 15000;
  static constexpr long CurlTimeLimitSeconds = 5;
  // Whatever the platform sends, no reply takes more memory than this.
  static constexpr qint64 ReplyBodyLimit = 64 * 1024 * 1024;
  // Device configurations asked for at the same time: enough to hide the
  // round trips of thousands of devices, few enough not to flood the platform.
  static constexpr int ConfigRequestsInFlight = 8;

  explicit ucommucation(QObject* parent = nullptr);

  // GET url + suffix: the verification-code image.
  static QByteArray getIdentyfy(QString url, QString suffix);
  // POST of the login form to g_loginUrl; the reply body as UTF-8 text.
  static QString loginRequest(LoginForm form, int timeLimitMs = LoginTimeLimitMs);
  // POST "userName=<form's user_tel>" to g_heartUrl.
  static QString heartpackageRequest(LoginForm form, LoginSession session);
  // GET g_devListUrl + "?usePage=false".
  static QString deviceListRequest(LoginSession session);
  // GET g_realtimeConfUrl + "/" + the serial number as one path segment.
  static QString realtimeConfRequest(LoginSession session, QString sn);
  // The configuration replies of many devices, in the order of `serials`,
  // each as realtimeConfRequest gives it: up to ConfigRequestsInFlight at a
  // time, all on one worker thread, while the caller waits once.
  static QStringList realtimeConfRequests(LoginSession session, QStringList serials);

  // An authenticated GET; `write` receives the body with `body` as its last
  // argument. Without a CA file the peer is not verified. Returns libcurl's
  // result; on an error prints "error no:<text>" on standard output. Once
  // `cancelled` is set, the transfer stops.
  static CURLcode curlGet(std::string url, std::string* body, LoginSession session, WriteFunction write,
                          const char* caFile, const std::atomic<bool>* cancelled = nullptr);
  // An authenticated form POST; the body, also what arrived before an error,
  // but nothing of a body over the limit.
  static std::string curlPost(std::string fields, LoginSession session, const char* url,
                              const std::atomic<bool>* cancelled = nullptr);
  // Appends the data to the std::string `body` points to; refuses it (the
  // transfer fails with CURLE_WRITE_ERROR) when the body would pass ReplyBodyLimit.
  static size_t curlWrite(char* data, size_t size, size_t count, void* body);
};
