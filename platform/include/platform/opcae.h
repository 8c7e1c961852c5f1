// OPC Alarms and Events structures and constants, declared from the published
// field lists and values. The event structure keeps its published field order
// with this platform's natural alignment and real pointers.
#pragma once

#include "platform/variant.h"
#include "platform/wintypes.h"

// Event types.
constexpr DWORD OPC_SIMPLE_EVENT = 0x0001;
constexpr DWORD OPC_TRACKING_EVENT = 0x0002;
constexpr DWORD OPC_CONDITION_EVENT = 0x0004;
constexpr DWORD OPC_ALL_EVENTS = OPC_SIMPLE_EVENT | OPC_TRACKING_EVENT | OPC_CONDITION_EVENT;

// What changed in a condition (wChangeMask).
constexpr WORD OPC_CHANGE_ACTIVE_STATE = 0x0001;
constexpr WORD OPC_CHANGE_ACK_STATE = 0x0002;
constexpr WORD OPC_CHANGE_ENABLE_STATE = 0x0004;
constexpr WORD OPC_CHANGE_QUALITY = 0x0008;
constexpr WORD OPC_CHANGE_SEVERITY = 0x0010;
constexpr WORD OPC_CHANGE_SUBCONDITION = 0x0020;
constexpr WORD OPC_CHANGE_MESSAGE = 0x0040;
constexpr WORD OPC_CHANGE_ATTRIBUTE = 0x0080;

// The state of a condition (wNewState).
constexpr WORD OPC_CONDITION_ENABLED = 0x0001;
constexpr WORD OPC_CONDITION_ACTIVE = 0x0002;
constexpr WORD OPC_CONDITION_ACKED = 0x0004;

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
