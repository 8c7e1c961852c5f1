#pragma once

#include <QList>
#include <QString>

#include "datainfo.h"

// The variables of one device that share a type name.
struct DataGroup {
  QString sn_code;  // the serial number the configuration was asked for
  qint32 variable_count = 0;  // always variables.size()
  QString type_name;          // never empty
  QList<DataInfo> variables;
};
