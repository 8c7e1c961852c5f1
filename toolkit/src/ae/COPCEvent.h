// One alarms-and-events record: a tag's change of alarm level, a host message
// or an event the host describes field by field. A record is built once and
// packed into the published event structure for every subscription it goes to.
// Fields a kind of event does not use stay zero or empty.
#pragma once

#include "platform/opcae.h"

#include <memory>
#include <string>
#include <vector>

class COPCEvent {
 public:
  // Every field zero or empty but the time (now, UTC) and the cookie (one of
  // its own, from a process-wide 32-bit counter).
  COPCEvent();
  virtual ~COPCEvent();
  COPCEvent(const COPCEvent&) = delete;
  COPCEvent& operator=(const COPCEvent&) = delete;

  // A simple event of category 1; NULL texts read as empty.
  static std::unique_ptr<COPCEvent> MakeSimpleEvent(const char* source, const char* message, DWORD severity);
  // The record of an event given field by field: texts narrowed, attributes
  // deep-copied (references as the values they refer to), the cookie as given.
  // NULL when an attribute cannot be copied.
  static std::unique_ptr<COPCEvent> FromEventStruct(const ONEVENTSTRUCT& event);

  // Replaces the attributes by deep copies of `count` values; on failure the
  // record keeps none.
  HRESULT SetAttributes(const VARIANT* values, DWORD count);
  const std::vector<VARIANT>& Attributes() const { return attributes_; }

  // The record as one zero-filled block of task memory: the event structure,
  // then its five texts widened, then copies of the attributes (aligned for
  // VARIANT). NULL when the memory cannot be had; the record is unchanged.
  ONEVENTSTRUCT* Pack() const;
  // Clears the attribute values inside a packed block and frees it; NULL is ignored.
  static void FreePacked(ONEVENTSTRUCT* block);

  WORD changeMask = 0;
  WORD newState = 0;
  std::string source;
  std::string message;
  std::string conditionName;
  std::string subconditionName;
  std::string actorId;
  FILETIME time;
  FILETIME activeTime = {0, 0};
  DWORD eventType = 0;
  DWORD category = 0;
  DWORD severity = 0;
  WORD quality = 0;
  BOOL ackRequired = FALSE;
  DWORD cookie;

 private:
  void ClearAttributes();

  std::vector<VARIANT> attributes_;
};
