#pragma once

#include <QList>

#include "ctag.h"

// One device's tags, in creation order (group order, then variable order).
struct DevTags {
  QList<CTag*> tags;  // owned by the bridge
  int count = 0;      // the device's number of variables: the length of `tags`
};
