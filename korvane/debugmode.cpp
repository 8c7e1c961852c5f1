#include "debugmode.h"

bool debugModeRequested(const QStringList& arguments, const QString& runningModel) {
  if (arguments.size() > 1 && arguments.at(1) == QLatin1String("--debug")) return true;
  return runningModel == QLatin1String("debug");
}
