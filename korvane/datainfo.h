#pragma once

#include <QString>

// One variable of a device, as the configuration reply describes it.
struct DataInfo {
  QString sn_code;  // from the variable's own object
  QString data_name;
  QString data_unit;
  qint32 data_type = 0;  // the platform's data-type code
  qint32 data_writeable = 0;
  QString data_min;
  QString data_max;
  qint32 data_code = 0;  // the variable's number within its device
  qint32 dev_version = 0;
};
