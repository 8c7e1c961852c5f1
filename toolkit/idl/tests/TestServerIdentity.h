// What the cross-process tests and their test server share: the server's
// class ID and the texts and values it answers, so a test compares what came
// across the process boundary with what the server sent.
#pragma once

#include <OpcInterfaces.h>

// {F1B12EE1-B888-429C-BEDB-3B2CFC1CEDCE}
inline constexpr CLSID CLSID_ZelvoTestOpcServer = {
    0xF1B12EE1, 0xB888, 0x429C, {0xBE, 0xDB, 0x3B, 0x2C, 0xFC, 0x1C, 0xED, 0xCE}};
inline constexpr wchar_t kTestServerProgram[] = L"OpcTestServer.exe";

struct TestErrorText {
  HRESULT code;
  const wchar_t* text;
};

// One plain text, one in Chinese (outside any 8-bit code page's reach unless
// the marshaller keeps 16-bit units), and an empty one (a one-unit string).
inline constexpr TestErrorText kTestErrorTexts[] = {
    {OPC_E_INVALIDHANDLE, L"The value of the handle is invalid."},
    {OPC_E_UNKNOWNITEMID, L"服务器地址空间中没有这个项目标识符。"},
    {OPC_E_NOTFOUND, L""},
};
// A code the server has no text for: it fails the call.
inline constexpr HRESULT kCodeWithoutText = OPC_E_RANGE;

inline constexpr LCID kTestLocales[] = {0x0409, 0x0804, LOCALE_SYSTEM_DEFAULT};

inline constexpr wchar_t kTestVendorInfo[] = L"Zelvo 测试服务器 1.2.3";
inline constexpr WORD kTestVersion[] = {1, 2, 3};
inline constexpr FILETIME kTestStartTime = {0x89ABCDEF, 0x01D9F0A1};

// The properties of every item: one with an item ID of its own, two without.
struct TestProperty {
  DWORD id;
  const wchar_t* description;
  VARTYPE type;
  const wchar_t* itemId;
};
inline constexpr TestProperty kTestProperties[] = {
    {1, L"Canonical data type", VT_I2, nullptr},
    {2, L"Value", VT_R8, nullptr},
    {5000, L"测量单位", VT_BSTR, L"泵站.一号泵.单位"},
};
inline constexpr double kTestValue = 21.5;
inline constexpr wchar_t kTestUnit[] = L"摄氏度";
// A property ID no item has.
inline constexpr DWORD kUnknownPropertyId = 77;

// What a client hands the data callback and the event sink the test server
// offers. The server answers S_OK when everything arrived as sent, or
// TestMismatchAt(i) for the first element i that did not (kTestWholeCall for
// the call's own arguments).
inline constexpr HRESULT TestMismatchAt(DWORD index) {
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0F00 + index);
}
inline constexpr DWORD kTestWholeCall = 0xFF;

inline constexpr DWORD kTestTransaction = 7;
inline constexpr OPCHANDLE kTestGroup = 3;
inline constexpr OPCHANDLE kTestSubscription = 5;

struct TestItemValue {
  OPCHANDLE client;
  VARTYPE type;  // VT_I4, VT_R8 or VT_BSTR, with the value in the matching field
  LONG integer;
  double real;
  const wchar_t* text;
  WORD quality;
  FILETIME time;
  HRESULT error;
};
inline constexpr TestItemValue kTestItemValues[] = {
    {11, VT_I4, 42, 0, nullptr, OPC_QUALITY_GOOD, {1, 2}, S_OK},
    {12, VT_BSTR, 0, 0, L"一号泵运行中", OPC_QUALITY_LOCAL_OVERRIDE, {3, 4}, S_OK},
    {13, VT_R8, 0, -0.5, nullptr, OPC_QUALITY_BAD, {5, 6}, OPC_E_BADRIGHTS},
};

struct TestEvent {
  const wchar_t* source;
  const wchar_t* message;
  const wchar_t* condition;
  const wchar_t* subcondition;
  const wchar_t* actor;
  DWORD type;
  DWORD category;
  DWORD severity;
  WORD changeMask;
  WORD newState;
  BOOL ackRequired;
  DWORD cookie;
  FILETIME time;
};
// The first event carries kTestEventAttributes, the second none (a null array)
// and null texts where a simple event has none.
inline constexpr TestEvent kTestEvents[] = {
    {L"泵站.一号泵", L"温度过高", L"LEVEL", L"HI", L"操作员", OPC_CONDITION_EVENT, 2, 700, OPC_CHANGE_ACTIVE_STATE,
     OPC_CONDITION_ENABLED | OPC_CONDITION_ACTIVE, TRUE, 99, {7, 8}},
    {L"Pump2", L"Started", nullptr, nullptr, nullptr, OPC_SIMPLE_EVENT, 1, 100, 0, 0, FALSE, 0, {9, 10}},
};
inline constexpr TestItemValue kTestEventAttributes[] = {
    {0, VT_I4, 3, 0, nullptr, 0, {0, 0}, S_OK},
    {0, VT_BSTR, 0, 0, L"高", 0, {0, 0}, S_OK},
};
