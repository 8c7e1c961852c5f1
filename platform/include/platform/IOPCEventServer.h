// The OPC Alarms and Events server interface, in its published slot order.
#pragma once

#include "platform/opcae.h"
#include "platform/opcda.h"
#include "platform/unknown.h"

struct IOPCEventServer : public IUnknown {
  virtual HRESULT GetStatus(OPCEVENTSERVERSTATUS** ppEventServerStatus) = 0;
  virtual HRESULT CreateEventSubscription(BOOL bActive, DWORD dwBufferTime, DWORD dwMaxSize,
                                          OPCHANDLE hClientSubscription, REFIID riid, LPUNKNOWN* ppUnk,
                                          DWORD* pdwRevisedBufferTime, DWORD* pdwRevisedMaxSize) = 0;
  virtual HRESULT QueryAvailableFilters(DWORD* pdwFilterMask) = 0;
  virtual HRESULT QueryEventCategories(DWORD dwEventType, DWORD* pdwCount, DWORD** ppdwEventCategories,
                                       LPWSTR** ppszEventCategoryDescs) = 0;
  virtual HRESULT QueryConditionNames(DWORD dwEventCategory, DWORD* pdwCount, LPWSTR** ppszConditionNames) = 0;
  virtual HRESULT QuerySubConditionNames(LPWSTR szConditionName, DWORD* pdwCount,
                                         LPWSTR** ppszSubConditionNames) = 0;
  virtual HRESULT QuerySourceConditions(LPWSTR szSource, DWORD* pdwCount, LPWSTR** ppszConditionNames) = 0;
  virtual HRESULT QueryEventAttributes(DWORD dwEventCategory, DWORD* pdwCount, DWORD** ppdwAttrIDs,
                                       LPWSTR** ppszAttrDescs, VARTYPE** ppvtAttrTypes) = 0;
  virtual HRESULT TranslateToItemIDs(LPWSTR szSource, DWORD dwEventCategory, LPWSTR szConditionName,
                                     LPWSTR szSubconditionName, DWORD dwCount, DWORD* pdwAssocAttrIDs,
                                     LPWSTR** ppszAttrItemIDs, LPWSTR** ppszNodeNames, CLSID** ppCLSIDs) = 0;
  virtual HRESULT GetConditionState(LPWSTR szSource, LPWSTR szConditionName, DWORD dwNumEventAttrs,
                                    DWORD* pdwAttributeIDs, OPCCONDITIONSTATE** ppConditionState) = 0;
  virtual HRESULT EnableConditionByArea(DWORD dwNumAreas, LPWSTR* pszAreas) = 0;
  virtual HRESULT EnableConditionBySource(DWORD dwNumSources, LPWSTR* pszSources) = 0;
  virtual HRESULT DisableConditionByArea(DWORD dwNumAreas, LPWSTR* pszAreas) = 0;
  virtual HRESULT DisableConditionBySource(DWORD dwNumSources, LPWSTR* pszSources) = 0;
  virtual HRESULT AckCondition(DWORD dwCount, LPWSTR szAcknowledgerID, LPWSTR szComment, LPWSTR* pszSource,
                               LPWSTR* pszConditionName, FILETIME* pftActiveTime, DWORD* pdwCookie,
                               HRESULT** ppErrors) = 0;
  virtual HRESULT CreateAreaBrowser(REFIID riid, LPUNKNOWN* ppUnk) = 0;

 protected:
  ~IOPCEventServer() = default;
};
