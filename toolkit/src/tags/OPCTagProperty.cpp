#include "tags/OPCTagProperty.h"

#include <utility>

OPCTagProperty::OPCTagProperty(DWORD id, std::string description) : id(id), description(std::move(description)) {
  VariantInit(&value);
}

OPCTagProperty::~OPCTagProperty() { VariantClear(&value); }
