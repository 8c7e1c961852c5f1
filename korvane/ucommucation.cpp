#include "ucommucation.h"

#include <iostream>
#include <map>
#include <vector>
#include <memory>

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "klog.h"
#include "platformurls.h"
#include "workerthreadcall.h"

namespace {

const char* const formContentType = "application/x-www-form-urlencoded;charset=UTF-8";

using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

// The URL of one device's configuration.
QString configurationUrl(const QString& sn) {
  return g_realtimeConfUrl + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(sn));
}

// A reply past the body limit fails its request, and says so once.
void logTooLong(const QString& url) {
  KLOG << "reply of" << url << "longer than" << ucommucation::ReplyBodyLimit << "bytes: request failed";
}

QNetworkRequest platformRequest(const QString& url, const char* contentType) {
  QNetworkRequest request{QUrl(url)};
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(contentType));
  request.setRawHeader("Accept-Encoding", "UTF-8");
  return request;
}

// Runs a local event loop until the reply finishes or the time limit passes,
// and returns what the reply delivered by then; nothing when its body grew
// past the limit.
QByteArray awaitReply(QNetworkReply* reply, int timeLimitMs) {
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  QByteArray body;
  bool tooLong = false;
  QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
    body += reply->read(ucommucation::ReplyBodyLimit + 1 - body.size());
    if (body.size() <= ucommucation::ReplyBodyLimit) return;
    tooLong = true;
    reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(timeLimitMs);
  if (!reply->isFinished()) loop.exec();
  timer.stop();
  if (!tooLong) body += reply->read(ucommucation::ReplyBodyLimit + 1 - body.size());
  if (tooLong || body.size() > ucommucation::ReplyBodyLimit) {
    logTooLong(reply->url().toString());
    return QByteArray();
  }
  return body;
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

// The options of an authenticated GET, in the order the platform's requests
// have always set them. `headers` must outlive the transfer.
void prepareGet(CURL* curl, const std::string& url, std::string* body, curl_slist* headers,
                ucommucation::WriteFunction write, const char* caFile) {
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
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
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, ucommucation::CurlTimeLimitSeconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, ucommucation::CurlTimeLimitSeconds);
}

void reportFailure(CURLcode result, const std::string& url, std::string* body) {
  if (result == CURLE_OK) return;
  std::cout << "error no:" << curl_easy_strerror(result) << std::endl;
  if (result != CURLE_WRITE_ERROR) return;
  logTooLong(QString::fromStdString(url));
  body->clear();
}

// Authenticated GETs of every URL into the body of the same index, at most
// `inFlight` at a time, on the calling thread, until all have ended or
// `cancelled` is set.
void getAll(const std::vector<std::string>& urls, std::vector<std::string>* bodies, const LoginSession& session,
            size_t inFlight, const std::atomic<bool>& cancelled) {
  CURLM* multi = curl_multi_init();
  if (multi == nullptr) return;
  struct Transfer {
    size_t index;
    HeaderList headers;
  };
  std::map<CURL*, Transfer> running;
  size_t next = 0;
  while ((next < urls.size() || !running.empty()) && !cancelled) {
    while (running.size() < inFlight && next < urls.size()) {
      const size_t index = next++;
      // A transfer that cannot be set up fails alone: its body stays empty.
      CURL* curl = curl_easy_init();
      Transfer transfer{index, authenticationHeaders(session)};
      if (curl != nullptr) {
        prepareGet(curl, urls[index], &(*bodies)[index], transfer.headers.get(), &ucommucation::curlWrite, nullptr);
      }
      if (curl == nullptr || curl_multi_add_handle(multi, curl) != CURLM_OK) {
        KLOG << "no transfer for" << QString::fromStdString(urls[index]) << ": request failed";
        if (curl != nullptr) curl_easy_cleanup(curl);
        continue;
      }
      running.emplace(curl, std::move(transfer));
    }
    int stillRunning = 0;
    // A multi handle that fails ends the round; the transfers still running fail.
    if (curl_multi_perform(multi, &stillRunning) != CURLM_OK) break;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      CURL* curl = message->easy_handle;
      const size_t index = running.at(curl).index;
      reportFailure(message->data.result, urls[index], &(*bodies)[index]);
      curl_multi_remove_handle(multi, curl);
      curl_easy_cleanup(curl);
      running.erase(curl);
    }
    if (!running.empty() && curl_multi_poll(multi, nullptr, 0, 100, nullptr) != CURLM_OK) break;
  }
  // Transfers that did not end leave no half-read body behind.
  for (auto& [curl, transfer] : running) {
    curl_multi_remove_handle(multi, curl);
    curl_easy_cleanup(curl);
    (*bodies)[transfer.index].clear();
  }
  curl_multi_cleanup(multi);
}

int stopWhenCancelled(void* cancelled, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(cancelled)->load() ? 1 : 0;
}

CURLcode perform(CURL* curl, const std::atomic<bool>* cancelled) {
  if (cancelled != nullptr) {
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &stopWhenCancelled);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancelled));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }
  const CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) std::cout << "error no:" << curl_easy_strerror(result) << std::endl;
  return result;
}

// The body of an authenticated GET run on a worker thread while the caller
// waits; empty when the caller stopped waiting or the body passed the limit.
QString fetchBody(const std::string& url, const LoginSession& session) {
  auto body = std::make_shared<std::string>();
  auto result = std::make_shared<CURLcode>(CURLE_OK);
  const bool ended = WorkerThreadCall::run([=](const std::atomic<bool>& cancelled) {
    *result = ucommucation::curlGet(url, body.get(), session, &ucommucation::curlWrite, nullptr, &cancelled);
  });
  if (!ended) return QString();
  if (*result == CURLE_WRITE_ERROR) {
    logTooLong(QString::fromStdString(url));
    return QString();
  }
  return QString::fromStdString(*body);
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
  const std::string fields = ("userName=" + formValue(form.user_tel)).toStdString();
  const std::string url = g_heartUrl.toUtf8().toStdString();
  auto body = std::make_shared<std::string>();
  if (!WorkerThreadCall::run([=](const std::atomic<bool>& cancelled) {
        *body = curlPost(fields, session, url.c_str(), &cancelled);
      }))
    return QString();
  return QString::fromStdString(*body);
}

QString ucommucation::deviceListRequest(LoginSession session) {
  return fetchBody((g_devListUrl + QStringLiteral("?usePage=false")).toUtf8().toStdString(), session);
}

QString ucommucation::realtimeConfRequest(LoginSession session, QString sn) {
  const QString url = configurationUrl(sn);
  KLOG << url;
  return fetchBody(url.toUtf8().toStdString(), session);
}

QStringList ucommucation::realtimeConfRequests(LoginSession session, QStringList serials) {
  std::vector<std::string> urls;
  urls.reserve(serials.size());
  for (const QString& sn : serials) {
    const QString url = configurationUrl(sn);
    KLOG << url;
    urls.push_back(url.toUtf8().toStdString());
  }
  auto bodies = std::make_shared<std::vector<std::string>>(urls.size());
  const bool ended = WorkerThreadCall::run([=](const std::atomic<bool>& cancelled) {
    getAll(urls, bodies.get(), session, ConfigRequestsInFlight, cancelled);
  });
  QStringList replies;
  replies.reserve(serials.size());
  // Bodies the worker may still be filling are not read.
  for (size_t i = 0; i < urls.size(); ++i) replies.append(ended ? QString::fromStdString((*bodies)[i]) : QString());
  return replies;
}

CURLcode ucommucation::curlGet(std::string url, std::string* body, LoginSession session, WriteFunction write,
                               const char* caFile, const std::atomic<bool>* cancelled) {
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return CURLE_FAILED_INIT;
  const HeaderList headers = authenticationHeaders(session);
  prepareGet(curl, url, body, headers.get(), write, caFile);
  const CURLcode result = perform(curl, cancelled);
  curl_easy_cleanup(curl);
  return result;
}

std::string ucommucation::curlPost(std::string fields, LoginSession session, const char* url,
                                   const std::atomic<bool>* cancelled) {
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
  const CURLcode result = perform(curl, cancelled);
  curl_easy_cleanup(curl);
  if (result == CURLE_WRITE_ERROR) {
    logTooLong(QString::fromUtf8(url));
    body.clear();
  }
  return body;
}

size_t ucommucation::curlWrite(char* data, size_t size, size_t count, void* body) {
  const size_t bytes = size * count;
  if (body == nullptr) return bytes;
  auto* text = static_cast<std::string*>(body);
  // Anything but the number of bytes given ends the transfer.
  if (text->size() + bytes > static_cast<size_t>(ReplyBodyLimit)) return 0;
  text->append(data, bytes);
  return bytes;
}
