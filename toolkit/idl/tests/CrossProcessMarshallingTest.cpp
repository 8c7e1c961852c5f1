// OPC calls across a process boundary: this test is the client, OpcTestServer.exe
// (started by COM from its LocalServer32 key) the server, and OpcProxyStub.dll,
// built from our IDL, carries the calls. What matters is what reaches the client:
// texts through [out, string] parameters, callee-allocated arrays and
// structures, arrays of texts and VARIANTs, each a block of the client's task
// allocator that it frees; and, the other way, the arrays a server hands its
// client's data callback and event sink, which the test server checks.

#include "ProgramFolder.h"
#include "ProxyStubRegistration.h"
#include "TestServerIdentity.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Names the test server's program as the local server of its class.
LSTATUS RegisterTestServer() {
  wchar_t clsid[40] = {};
  StringFromGUID2(CLSID_ZelvoTestOpcServer, clsid, ARRAYSIZE(clsid));
  const std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\LocalServer32";
  const std::wstring command = L"\"" + ProgramFolder::Beside(kTestServerProgram) + L"\"";
  return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, command.c_str(),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

// True when the block belongs to this process's task allocator, so that
// CoTaskMemFree is the right way for the client to let go of it.
bool IsClientTaskMemory(void* block) {
  IMalloc* allocator = nullptr;
  if (FAILED(CoGetMalloc(1, &allocator))) return false;
  const bool ours = allocator->DidAlloc(block) == 1;
  allocator->Release();
  return ours;
}

// A VARIANT holding the table's value; the caller clears it.
VARIANT VariantOf(const TestItemValue& value) {
  VARIANT variant;
  VariantInit(&variant);
  V_VT(&variant) = value.type;
  if (value.type == VT_I4) V_I4(&variant) = value.integer;
  if (value.type == VT_R8) V_R8(&variant) = value.real;
  if (value.type == VT_BSTR) V_BSTR(&variant) = SysAllocString(value.text);
  return variant;
}

// The test server's answer to a call it checked, in words.
std::string Verdict(HRESULT answer) {
  if (answer == S_OK) return "arrived as sent";
  if (answer == TestMismatchAt(kTestWholeCall)) return "the call's own arguments differ";
  for (DWORD i = 0; i < kTestWholeCall; ++i) {
    if (answer == TestMismatchAt(i)) return "element " + std::to_string(i) + " differs";
  }
  return "call failed: " + std::to_string(answer);
}

class CrossProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    ASSERT_EQ(ProxyStubRegistration::Register(), S_OK);
    ASSERT_EQ(RegisterTestServer(), ERROR_SUCCESS);
    ASSERT_EQ(CoCreateInstance(CLSID_ZelvoTestOpcServer, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCCommon,
                               reinterpret_cast<void**>(&common_)),
              S_OK);
    ASSERT_EQ(common_->QueryInterface(IID_IOPCServer, reinterpret_cast<void**>(&server_)), S_OK);
    ASSERT_EQ(common_->QueryInterface(IID_IOPCItemProperties, reinterpret_cast<void**>(&properties_)), S_OK);
  }

  void TearDown() override {
    if (properties_) properties_->Release();
    if (server_) server_->Release();
    if (common_) common_->Release();
    CoUninitialize();
  }

  IOPCCommon* common_ = nullptr;
  IOPCServer* server_ = nullptr;
  IOPCItemProperties* properties_ = nullptr;
  wchar_t item_[16] = L"泵站.一号泵";
};

TEST_F(CrossProcess, ObjectIsReachedThroughAProxy) {
  // Only a proxy of another apartment's object offers the client-side security interface.
  IClientSecurity* security = nullptr;
  ASSERT_EQ(common_->QueryInterface(IID_IClientSecurity, reinterpret_cast<void**>(&security)), S_OK);
  security->Release();
}

TEST_F(CrossProcess, ErrorTextsComeBackWholeThroughBothInterfaces) {
  for (const TestErrorText& expected : kTestErrorTexts) {
    SCOPED_TRACE(::testing::Message() << "code 0x" << std::hex << static_cast<unsigned long>(expected.code));
    LPWSTR common = nullptr;
    ASSERT_EQ(common_->GetErrorString(expected.code, &common), S_OK);
    ASSERT_NE(common, nullptr);
    EXPECT_STREQ(common, expected.text);
    EXPECT_TRUE(IsClientTaskMemory(common));
    CoTaskMemFree(common);

    LPWSTR server = nullptr;
    ASSERT_EQ(server_->GetErrorString(expected.code, 0x0804, &server), S_OK);
    ASSERT_NE(server, nullptr);
    EXPECT_STREQ(server, expected.text);
    EXPECT_TRUE(IsClientTaskMemory(server));
    CoTaskMemFree(server);
  }
}

TEST_F(CrossProcess, FailedErrorTextCallReportsTheFailureWithoutText) {
  LPWSTR text = nullptr;
  EXPECT_EQ(common_->GetErrorString(kCodeWithoutText, &text), E_INVALIDARG);
  EXPECT_EQ(text, nullptr);
}

TEST_F(CrossProcess, LocaleListComesBackAsCalleeAllocatedArray) {
  DWORD count = 0;
  LCID* locales = nullptr;
  ASSERT_EQ(common_->QueryAvailableLocaleIDs(&count, &locales), S_OK);
  ASSERT_EQ(count, ARRAYSIZE(kTestLocales));
  ASSERT_NE(locales, nullptr);
  for (DWORD i = 0; i < count; ++i) EXPECT_EQ(locales[i], kTestLocales[i]) << i;
  EXPECT_TRUE(IsClientTaskMemory(locales));
  CoTaskMemFree(locales);

  ASSERT_EQ(common_->SetLocaleID(0x0804), S_OK);
  LCID current = 0;
  ASSERT_EQ(common_->GetLocaleID(&current), S_OK);
  EXPECT_EQ(current, 0x0804u);
}

TEST_F(CrossProcess, ServerStatusComesBackWithItsVendorText) {
  OPCSERVERSTATUS* status = nullptr;
  ASSERT_EQ(server_->GetStatus(&status), S_OK);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->ftStartTime.dwLowDateTime, kTestStartTime.dwLowDateTime);
  EXPECT_EQ(status->ftStartTime.dwHighDateTime, kTestStartTime.dwHighDateTime);
  EXPECT_EQ(status->dwServerState, OPC_STATUS_RUNNING);
  EXPECT_EQ(status->dwBandWidth, 0xFFFFFFFFu);
  EXPECT_EQ(status->wMajorVersion, kTestVersion[0]);
  EXPECT_EQ(status->wMinorVersion, kTestVersion[1]);
  EXPECT_EQ(status->wBuildNumber, kTestVersion[2]);
  ASSERT_NE(status->szVendorInfo, nullptr);
  EXPECT_STREQ(status->szVendorInfo, kTestVendorInfo);
  EXPECT_TRUE(IsClientTaskMemory(status));
  EXPECT_TRUE(IsClientTaskMemory(status->szVendorInfo));
  CoTaskMemFree(status->szVendorInfo);
  CoTaskMemFree(status);
}

TEST_F(CrossProcess, PropertyListComesBackAsArraysSizedByTheReturnedCount) {
  DWORD count = 0;
  DWORD* ids = nullptr;
  LPWSTR* descriptions = nullptr;
  VARTYPE* types = nullptr;
  ASSERT_EQ(properties_->QueryAvailableProperties(item_, &count, &ids, &descriptions, &types), S_OK);
  ASSERT_EQ(count, ARRAYSIZE(kTestProperties));
  ASSERT_TRUE(ids && descriptions && types);
  for (DWORD i = 0; i < count; ++i) {
    EXPECT_EQ(ids[i], kTestProperties[i].id);
    ASSERT_NE(descriptions[i], nullptr);
    EXPECT_STREQ(descriptions[i], kTestProperties[i].description);
    EXPECT_TRUE(IsClientTaskMemory(descriptions[i]));
    EXPECT_EQ(types[i], kTestProperties[i].type);
    CoTaskMemFree(descriptions[i]);
  }
  EXPECT_TRUE(IsClientTaskMemory(ids) && IsClientTaskMemory(descriptions) && IsClientTaskMemory(types));
  CoTaskMemFree(ids);
  CoTaskMemFree(descriptions);
  CoTaskMemFree(types);
}

TEST_F(CrossProcess, PropertyValuesComeBackAsVariantsWithPerItemErrors) {
  DWORD wanted[] = {5000, 2, kUnknownPropertyId};
  VARIANT* values = nullptr;
  HRESULT* errors = nullptr;
  ASSERT_EQ(properties_->GetItemProperties(item_, ARRAYSIZE(wanted), wanted, &values, &errors), S_FALSE);
  ASSERT_TRUE(values && errors);
  ASSERT_EQ(V_VT(&values[0]), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&values[0]), kTestUnit);
  EXPECT_EQ(SysStringLen(V_BSTR(&values[0])), std::wstring(kTestUnit).size());
  ASSERT_EQ(V_VT(&values[1]), VT_R8);
  EXPECT_EQ(V_R8(&values[1]), kTestValue);
  EXPECT_EQ(V_VT(&values[2]), VT_EMPTY);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], S_OK);
  EXPECT_EQ(errors[2], OPC_E_INVALID_PID);
  for (DWORD i = 0; i < ARRAYSIZE(wanted); ++i) VariantClear(&values[i]);
  CoTaskMemFree(values);
  CoTaskMemFree(errors);
}

TEST_F(CrossProcess, ItemIdArrayKeepsTextsAndTheNullOfAFailedEntry) {
  DWORD wanted[] = {5000, 1};
  LPWSTR* itemIds = nullptr;
  HRESULT* errors = nullptr;
  ASSERT_EQ(properties_->LookupItemIDs(item_, ARRAYSIZE(wanted), wanted, &itemIds, &errors), S_FALSE);
  ASSERT_TRUE(itemIds && errors);
  ASSERT_NE(itemIds[0], nullptr);
  EXPECT_STREQ(itemIds[0], kTestProperties[2].itemId);
  EXPECT_TRUE(IsClientTaskMemory(itemIds[0]));
  EXPECT_EQ(itemIds[1], nullptr);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], OPC_E_INVALID_PID);
  CoTaskMemFree(itemIds[0]);
  CoTaskMemFree(itemIds);
  CoTaskMemFree(errors);
}

TEST_F(CrossProcess, DataChangeArraysArriveAsSent) {
  IOPCDataCallback* callback = nullptr;
  ASSERT_EQ(common_->QueryInterface(IID_IOPCDataCallback, reinterpret_cast<void**>(&callback)), S_OK);
  constexpr DWORD count = ARRAYSIZE(kTestItemValues);
  OPCHANDLE handles[count];
  VARIANT values[count];
  WORD qualities[count];
  FILETIME times[count];
  HRESULT errors[count];
  for (DWORD i = 0; i < count; ++i) {
    handles[i] = kTestItemValues[i].client;
    values[i] = VariantOf(kTestItemValues[i]);
    qualities[i] = kTestItemValues[i].quality;
    times[i] = kTestItemValues[i].time;
    errors[i] = kTestItemValues[i].error;
  }
  EXPECT_EQ(Verdict(callback->OnDataChange(kTestTransaction, kTestGroup, S_FALSE, S_FALSE, count, handles, values,
                                           qualities, times, errors)),
            "arrived as sent");
  for (VARIANT& value : values) VariantClear(&value);
  callback->Release();
}

TEST_F(CrossProcess, EventsArriveWithTheirTextsAndAttributes) {
  IOPCEventSink* sink = nullptr;
  ASSERT_EQ(common_->QueryInterface(IID_IOPCEventSink, reinterpret_cast<void**>(&sink)), S_OK);
  VARIANT attributes[ARRAYSIZE(kTestEventAttributes)];
  for (DWORD i = 0; i < ARRAYSIZE(attributes); ++i) attributes[i] = VariantOf(kTestEventAttributes[i]);
  ONEVENTSTRUCT events[ARRAYSIZE(kTestEvents)] = {};
  for (DWORD i = 0; i < ARRAYSIZE(events); ++i) {
    const TestEvent& event = kTestEvents[i];
    events[i].wChangeMask = event.changeMask;
    events[i].wNewState = event.newState;
    events[i].szSource = const_cast<LPWSTR>(event.source);
    events[i].ftTime = event.time;
    events[i].szMessage = const_cast<LPWSTR>(event.message);
    events[i].dwEventType = event.type;
    events[i].dwEventCategory = event.category;
    events[i].dwSeverity = event.severity;
    events[i].szConditionName = const_cast<LPWSTR>(event.condition);
    events[i].szSubconditionName = const_cast<LPWSTR>(event.subcondition);
    events[i].bAckRequired = event.ackRequired;
    events[i].dwCookie = event.cookie;
    events[i].szActorID = const_cast<LPWSTR>(event.actor);
  }
  events[0].dwNumEventAttrs = ARRAYSIZE(attributes);
  events[0].pEventAttributes = attributes;
  EXPECT_EQ(Verdict(sink->OnEvent(kTestSubscription, FALSE, FALSE, ARRAYSIZE(events), events)), "arrived as sent");
  for (VARIANT& attribute : attributes) VariantClear(&attribute);
  sink->Release();
}

}  // namespace
