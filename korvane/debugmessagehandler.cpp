#include "debugmessagehandler.h"

#include <cstdio>

#include <QCoreApplication>
#include <QThread>
#include <QTime>

#include "g_debug.h"

namespace {

// Set while this thread is inside the handler or building the window, so a
// message logged meanwhile cannot open a second window or recurse.
thread_local bool t_busy = false;

class BusyScope {
public:
  BusyScope() : wasBusy_(t_busy) { t_busy = true; }
  ~BusyScope() { t_busy = wasBusy_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

private:
  const bool wasBusy_;
};

bool onGuiThread() {
  const QCoreApplication* application = QCoreApplication::instance();
  return application != nullptr && QThread::currentThread() == application->thread();
}

void toStandardError(const QString& line) { std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData()); }

// KORVANE_DEBUG_STDERR also copies every line to standard error, for a window
// nobody can see (the demo under a virtual display).
bool echoToStandardError() {
  static const bool echo = qEnvironmentVariableIsSet("KORVANE_DEBUG_STDERR");
  return echo;
}

// A message as long as a line may show: a longer one (a platform text of a
// megabyte, say) would hold the window's thread for long.
QString cutToLimit(const QString& message) {
  if (message.size() <= DebugLineMessageLimit) return message;
  int end = DebugLineMessageLimit;
  // A pair of UTF-16 units stays whole.
  if (message.at(end - 1).isHighSurrogate()) --end;
  return message.left(end) + QStringLiteral(" [cut]");
}

}  // namespace

QString debugLine(QtMsgType type, const QString& message) {
  const char* kind = nullptr;
  switch (type) {
    case QtDebugMsg: kind = "Debug:"; break;
    case QtWarningMsg: kind = "Warning:"; break;
    case QtCriticalMsg: kind = "Critical:"; break;
    case QtFatalMsg: kind = "Fatal:"; break;
    case QtInfoMsg: return QString();
  }
  return QLatin1String(kind) + QStringLiteral("%1: %2").arg(QTime::currentTime().toString(QStringLiteral("hh:mm:ss:zzz")),
                                                           cutToLimit(message));
}

g_debug* openDebugWindow() {
  g_debug* window = g_debugWindow.load();
  if (window != nullptr) return window;
  {
    BusyScope building;
    window = new g_debug;
  }
  g_debugWindow.store(window);
  window->show();
  return window;
}

void debugMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  const QString line = debugLine(type, message);
  g_debug* window = nullptr;
  if (!t_busy) {
    BusyScope handling;
    window = g_debugWindow.load();
    if (window == nullptr && onGuiThread()) window = openDebugWindow();
    if (window != nullptr) emit window->settext(line);
  }
  // The program aborts right after a fatal message: say why where it stays readable.
  if (window == nullptr || type == QtFatalMsg || echoToStandardError())
    toStandardError(line.isEmpty() ? message : line);
}
