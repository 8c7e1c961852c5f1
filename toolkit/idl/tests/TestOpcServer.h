// The test server's one object: IOPCCommon, IOPCServer::GetErrorString and
// GetStatus, and IOPCItemProperties, answering the values of
// TestServerIdentity.h for any item, so a client in another process can see
// what the proxy/stub DLL carries back; and IOPCDataCallback::OnDataChange and
// IOPCEventSink::OnEvent, which check that the client's arrays arrived as
// TestServerIdentity.h has them. The rest answers E_NOTIMPL.
#pragma once

#include <OpcInterfaces.h>

#include <atomic>

class TestOpcServer final : public IOPCCommon,
                            public IOPCServer,
                            public IOPCItemProperties,
                            public IOPCDataCallback,
                            public IOPCEventSink {
 public:
  TestOpcServer();
  TestOpcServer(const TestOpcServer&) = delete;
  TestOpcServer& operator=(const TestOpcServer&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE SetLocaleID(LCID dwLcid) override;
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* pdwLcid) override;
  HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) override;
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LPWSTR* ppString) override;
  HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR szName) override;

  HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate,
                                     OPCHANDLE hClientGroup, LONG* pTimeBias, FLOAT* pPercentDeadband,
                                     DWORD dwLCID, OPCHANDLE* phServerGroup, DWORD* pRevisedUpdateRate,
                                     REFIID riid, LPUNKNOWN* ppUnk) override;
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) override;
  HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override;
  HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS** ppServerStatus) override;
  HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) override;
  HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) override;

  HRESULT STDMETHODCALLTYPE QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                                     LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) override;
  HRESULT STDMETHODCALLTYPE GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                              VARIANT** ppvData, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                          LPWSTR** ppszNewItemIDs, HRESULT** ppErrors) override;

  HRESULT STDMETHODCALLTYPE OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                         HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                         VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                         HRESULT* pErrors) override;
  HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                           HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                           VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                           HRESULT* pErrors) override;
  HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMastererr, DWORD dwCount,
                                            OPCHANDLE* pClienthandles, HRESULT* pErrors) override;
  HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD dwTransid, OPCHANDLE hGroup) override;

  HRESULT STDMETHODCALLTYPE OnEvent(OPCHANDLE hClientSubscription, BOOL bRefresh, BOOL bLastRefresh, DWORD dwCount,
                                    ONEVENTSTRUCT* pEvents) override;

 private:
  ~TestOpcServer();

  std::atomic<ULONG> references_{1};
  std::atomic<LCID> locale_{LOCALE_SYSTEM_DEFAULT};
};
