// Small helpers for driving the library as a host and as a client would.
#pragma once

#include "Vorlix.h"

#include "platform/opcda.h"
#include "platform/widetext.h"

#include <string>

VARIANT MakeR4(float value);
VARIANT MakeR8(double value);
VARIANT MakeI4(LONG value);
// A VT_BSTR holding a new copy of the text; the caller frees it.
VARIANT MakeBstr(const WCHAR* text);

// CreateTag with a VT_R4 0.0 value, good quality, writable.
DWORD NewTag(std::string name, VARIANT value = MakeR4(0.0f));

// A client's item definition; it owns the wide texts it points at.
class ItemDefinition {
 public:
  ItemDefinition(const std::string& accessPath, const std::string& itemId, VARTYPE requested = VT_EMPTY);
  ItemDefinition(const ItemDefinition&) = delete;
  ItemDefinition& operator=(const ItemDefinition&) = delete;

  const OPCITEMDEF& Get() const { return definition_; }

 private:
  WideString accessPath_;
  WideString itemId_;
  OPCITEMDEF definition_;
};

// What ReadTagWithTimeStamp gives for a tag.
struct TagReading {
  BOOL found;
  VARIANT value;
  WORD quality;
  FILETIME timestamp;
};
TagReading ReadTagState(DWORD handle);

// ValidateItem for one client item.
HRESULT Validate(const std::string& accessPath, const std::string& itemId, VARTYPE requested = VT_EMPTY,
                 OPCITEMRESULT* result = nullptr, DWORD* rights = nullptr);
