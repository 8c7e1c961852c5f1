#include "ucommucation.h"

#include <iostream>
#include <memory>

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "klog.h"
#include "platformurls.h"

namespace {

const char* const formContentType = "application/x-www-form-urlencoded;charset=UTF-8";

using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

QNetworkRequest platformRequest(const QString& url, const char* contentType) {
  QNetworkRequest request{QUrl(url)};
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(contentType));
  request.setRawHeader("Accept-Encoding", "UTF-8");
  return request;
}

// Runs a local event loop until the reply finishes or the time limit passes,
// and returns what the reply delivered by then.
QByteArray awaitReply(QNetworkReply* reply, int timeLimitMs) {
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(timeLimitMs);
  if (!reply->isFinished()) loop.exec();
  timer.stop();
  return reply->readAll();
}

// A form value, percent-encoded so that "&", "=", "+" or "%" in it stay inside
// its field; letters and digits keep their bytes.
QByteArray formValue(const QString& value) { return QUrl::toPercentEncoding(value); }

// A header value without CR, LF or NUL, so it cannot end its header line.
QByteArray headerValue(const QByteArray& value) {
  QByteArray safe;
  for (char c : value)
    if (c != '\r' && c != '\n' && c != '\0') safe.append(c);
  return safe;
}

// The three authentication header lines. An empty token is given in libcurl's
// "name;" form, which still sends the line "X-Token:".
HeaderList authenticationHeaders(const LoginSession& session) {
  const QByteArray token = headerValue(session.token.toLatin1());
  const QByteArray lines[] = {
      QByteArray("Content-Type:") + formContentType,
      "X-User:" + QByteArray::number(session.user_id),
      token.isEmpty() ? QByteArray("X-Token;") : "X-Token:" + token,
  };
  HeaderList list(nullptr, &curl_slist_free_all);
  for (const QByteArray& line : lines) {
    curl_slist* longer = curl_slist_append(list.get(), line.constData());
    if (longer == nullptr) break;
    list.release();
    list.reset(longer);
  }
  return list;
}

CURLcode perform(CURL* curl) {
  const CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) std::cout << "error no:" << curl_easy_strerror(result) << std::endl;
  return result;
}

}  // namespace

ucommucation::ucommucation(QObject* parent) : QObject(parent) {}

QByteArray ucommucation::getIdentyfy(QString url, QString suffix) {
  QNetworkAccessManager manager;
  return awaitReply(manager.get(platformRequest(url + suffix, "application/json;charset=UTF-8")),
                    CodeImageTimeLimitMs);
}

QString ucommucation::loginRequest(LoginForm form, int timeLimitMs) {
  const QByteArray body = "user_tel=" + formValue(form.user_tel) + "&password=" + formValue(form.password) +
                          "&check_num=" + formValue(form.check_num) + "&code_num=" + formValue(form.code_num) +
                          "&login_type=MPhone";
  QNetworkAccessManager manager;
  return QString::fromUtf8(awaitReply(manager.post(platformRequest(g_loginUrl, formContentType), body), timeLimitMs));
}

QString ucommucation::heartpackageRequest(LoginForm form, LoginSession session) {
  const QByteArray fields = "userName=" + formValue(form.user_tel);
  return QString::fromStdString(curlPost(fields.toStdString(), session, g_heartUrl.toUtf8().constData()));
}

QString ucommucation::deviceListRequest(LoginSession session) {
  std::string body;
  curlGet((g_devListUrl + QStringLiteral("?usePage=false")).toUtf8().toStdString(), &body, session, &curlWrite,
          nullptr);
  return QString::fromStdString(body);
}

QString ucommucation::realtimeConfRequest(LoginSession session, QString sn) {
  const QString url = g_realtimeConfUrl + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(sn));
  KLOG << url;
  std::string body;
  curlGet(url.toUtf8().toStdString(), &body, session, &curlWrite, nullptr);
  return QString::fromStdString(body);
}

CURLcode ucommucation::curlGet(std::string url, std::string* body, LoginSession session, WriteFunction write,
                               const char* caFile) {
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return CURLE_FAILED_INIT;
  const HeaderList headers = authenticationHeaders(session);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, static_cast<curl_read_callback>(nullptr));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, write);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, static_cast<void*>(body));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  if (caFile == nullptr) {
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
  } else {
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_CAINFO, caFile);
  }
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, CurlTimeLimitSeconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, CurlTimeLimitSeconds);
  const CURLcode result = perform(curl);
  curl_easy_cleanup(curl);
  return result;
}

std::string ucommucation::curlPost(std::string fields, LoginSession session, const char* url) {
  std::string body;
  if (url == nullptr) return body;
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return body;
  const HeaderList headers = authenticationHeaders(session);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, CurlTimeLimitSeconds);
  curl_easy_setopt(curl, CURLOPT_URL, url);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, fields.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &curlWrite);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, static_cast<void*>(&body));
  perform(curl);
  curl_easy_cleanup(curl);
  return body;
}

size_t ucommucation::curlWrite(char* data, size_t size, size_t count, void* body) {
  const size_t bytes = size * count;
  if (body != nullptr) static_cast<std::string*>(body)->append(data, bytes);
  return bytes;
}
