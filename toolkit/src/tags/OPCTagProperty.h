// One custom item property that the host attaches to a tag: an ID above the six
// standard ones, a description and a value.
#pragma once

#include "platform/variant.h"

#include <string>

class OPCTagProperty {
 public:
  OPCTagProperty(DWORD id, std::string description);
  ~OPCTagProperty();
  OPCTagProperty(const OPCTagProperty&) = delete;
  OPCTagProperty& operator=(const OPCTagProperty&) = delete;

  DWORD id;
  std::string description;
  VARIANT value;
};
