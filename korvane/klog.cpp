#include "klog.h"

#include <QLoggingCategory>
#include <QTime>

bool klogEnabled() {
  // Without a default category the message log passes every line on.
  const QLoggingCategory* category = QLoggingCategory::defaultCategory();
  return category == nullptr || category->isDebugEnabled();
}

QString klogPrefix(const char* sourcePath, const char* prettyFunction, int line) {
  return QStringLiteral("[Debug][%1] <%2 %3 %4>")
      .arg(QTime::currentTime().toString(QStringLiteral("hh:mm:ss:zzz")), QString::fromUtf8(sourcePath),
           klogFunctionName(prettyFunction), QString::number(line));
}

QString klogFunctionName(const char* prettyFunction) {
  const QString signature = QString::fromUtf8(prettyFunction);
  const QString beforeParameters = signature.left(signature.indexOf(QLatin1Char('(')));
  return beforeParameters.mid(beforeParameters.lastIndexOf(QLatin1Char(' ')) + 1);
}
