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

// The state an event server reports.
enum OPCEVENTSERVERSTATE {
  OPCAE_STATUS_RUNNING = 1,
  OPCAE_STATUS_FAILED = 2,
  OPCAE_STATUS_NOCONFIG = 3,
  OPCAE_STATUS_SUSPENDED = 4,
  OPCAE_STATUS_TEST = 5,
  OPCAE_STATUS_COMM_FAULT = 6,
};

struct OPCEVENTSERVERSTATUS {
  FILETIME ftStartTime;
  FILETIME ftCurrentTime;
  FILETIME ftLastUpdateTime;
  OPCEVENTSERVERSTATE dwServerState;
  WORD wMajorVersion;
  WORD wMinorVersion;
  WORD wBuildNumber;
  WORD wReserved;
  LPWSTR szVendorInfo;
};

struct OPCCONDITIONSTATE {
  WORD wState;
  WORD wReserved1;
  LPWSTR szActiveSubCondition;
  LPWSTR szASCDefinition;
  DWORD dwASCSeverity;
  LPWSTR szASCDescription;
  WORD wQuality;
  WORD wReserved2;
  FILETIME ftLastAckTime;
  FILETIME ftSubCondLastActive;
  FILETIME ftCondLastActive;
  FILETIME ftCondLastInactive;
  LPWSTR szAcknowledgerID;
  LPWSTR szComment;
  DWORD dwNumSCs;
  LPWSTR* pszSCNames;
  LPWSTR* pszSCDefinitions;
  DWORD* pdwSCSeverities;
  LPWSTR* pszSCDescriptions;
  DWORD dwNumEventAttrs;
  VARIANT* pEventAttributes;
  HRESULT* pErrors;
};
