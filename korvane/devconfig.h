#pragma once

#include <QList>
#include <QString>

#include "datagroup.h"

// The parsed variable configuration of one device.
struct DevConfig {
  QString sn_code;  // the serial number the configuration was asked for
  qint32 group_count = 0;  // always groups.size()
  QList<DataGroup> groups;
};
