#pragma once

#include <string>

#include <QByteArray>
#include <QObject>
#include <QString>

#include <curl/curl.h>

#include "loginform.h"
#include "loginsession.h"

// The platform's HTTP requests. Every request blocks until it has a result
// and returns the reply body, whatever the HTTP status, or what arrived before
// its time limit: empty when nothing came. Failures are never thrown. The code
// image and the login run a local event loop while they wait, so timers and
// queued slots keep running; the authenticated requests use libcurl and block.
class ucommucation : public QObject {
  Q_OBJECT

public:
  using WriteFunction = size_t (*)(char* data, size_t size, size_t count, void* body);

  static constexpr int CodeImageTimeLimitMs = 2000;
  static constexpr int LoginTimeLimitMs = 15000;
  static constexpr long CurlTimeLimitSeconds = 5;

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

  // An authenticated GET; `write` receives the body with `body` as its last
  // argument. Without a CA file the peer is not verified. Returns libcurl's
  // result; on an error prints "error no:<text>" on standard output.
  static CURLcode curlGet(std::string url, std::string* body, LoginSession session, WriteFunction write,
                          const char* caFile);
  // An authenticated form POST; the body, also what arrived before an error.
  static std::string curlPost(std::string fields, LoginSession session, const char* url);
  // Appends the data to the std::string `body` points to.
  static size_t curlWrite(char* data, size_t size, size_t count, void* body);
};
