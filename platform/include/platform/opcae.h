// OPC Alarms and Events structures, declared from the published field lists.
#pragma once

#include "platform/variant.h"
#include "platform/wintypes.h"

// One event as an event sink receives it.
struct ONEVENTSTRUCT {
  WORD wChangeMask;
  WORD wNewState;
  LPWSTR szSource;
  FILETIME ftTime;
  LPWSTR szMessage;
  DWORD dwEventType;
  DWORD dwEventCategory;
  DWORD dwSeverity;
  LPWSTR szConditionName;
  LPWSTR szSubconditionName;
  WORD wQuality;
  WORD wReserved;
  BOOL bAckRequired;
  FILETIME ftActiveTime;
  DWORD dwCookie;
  DWORD dwNumEventAttrs;
  VARIANT* pEventAttributes;
  LPWSTR szActorID;
};
