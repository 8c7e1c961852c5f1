// One variable of a data file: what the host makes one tag of.
#pragma once

#include <string>

struct HostVariable {
  // "SN.TypeName.DataName", UTF-8.
  std::string itemName;
  // The data-type code after the version remap (see DataTypeCode).
  int typeCode = 0;
  bool writable = false;
  // The value text the file gives, empty when none.
  std::string valueText;
  // Bounds the simulation moves the value between; also the level alarms' limits.
  double minimum = 0;
  double maximum = 0;
  bool hasBounds = false;
  // Whether the box reports online: good quality, else bad.
  bool online = false;
};
