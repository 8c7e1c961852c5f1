// The platform stand-in, in this process, listing the given boxes all online
// under the demo user, with the program's globals pointed at it as after a
// login (server address, request addresses, session, an hour's update
// interval) and the registry kept in a folder of its own.
#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include "platformstandin.h"

class OnlinePlatform {
 public:
  explicit OnlinePlatform(const QStringList& serials);

 private:
  PlatformStandin standin_;
  QTemporaryDir registry_;
};
