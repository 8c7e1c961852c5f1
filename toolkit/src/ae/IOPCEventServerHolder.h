// The IOPCEventServer holder of a client's OPCServer. The server itself only
// creates event subscriptions; every other question goes, with the client's
// arguments, to the AE callback object the host has installed (E_NOTIMPL when
// there is none). Out-pointers are checked before anything else.
#pragma once

#include "com/InterfaceHolder.h"
#include "da/server/OPCServer.h"

#include "platform/IOPCEventServer.h"

class IOPCEventServerHolder final : public InterfaceHolder<IOPCEventServer, OPCServer> {
 public:
  explicit IOPCEventServerHolder(OPCServer& owner);

  HRESULT GetStatus(OPCEVENTSERVERSTATUS** ppEventServerStatus) override;
  // Answers with buffer time 0 and maximum size 1 whatever the client asks
  // for; the active flag asked for is not kept either, as every subscription
  // gets every event. The callback object hears of the subscription once the
  // client has it.
  HRESULT CreateEventSubscription(BOOL bActive, DWORD dwBufferTime, DWORD dwMaxSize, OPCHANDLE hClientSubscription,
                                  REFIID riid, LPUNKNOWN* ppUnk, DWORD* pdwRevisedBufferTime,
                                  DWORD* pdwRevisedMaxSize) override;
  HRESULT QueryAvailableFilters(DWORD* pdwFilterMask) override;
  HRESULT QueryEventCategories(DWORD dwEventType, DWORD* pdwCount, DWORD** ppdwEventCategories,
                               LPWSTR** ppszEventCategoryDescs) override;
  HRESULT QueryConditionNames(DWORD dwEventCategory, DWORD* pdwCount, LPWSTR** ppszConditionNames) override;
  HRESULT QuerySubConditionNames(LPWSTR szConditionName, DWORD* pdwCount, LPWSTR** ppszSubConditionNames) override;
  HRESULT QuerySourceConditions(LPWSTR szSource, DWORD* pdwCount, LPWSTR** ppszConditionNames) override;
  HRESULT QueryEventAttributes(DWORD dwEventCategory, DWORD* pdwCount, DWORD** ppdwAttrIDs, LPWSTR** ppszAttrDescs,
                               VARTYPE** ppvtAttrTypes) override;
  HRESULT TranslateToItemIDs(LPWSTR szSource, DWORD dwEventCategory, LPWSTR szConditionName,
                             LPWSTR szSubconditionName, DWORD dwCount, DWORD* pdwAssocAttrIDs,
                             LPWSTR** ppszAttrItemIDs, LPWSTR** ppszNodeNames, CLSID** ppCLSIDs) override;
  HRESULT GetConditionState(LPWSTR szSource, LPWSTR szConditionName, DWORD dwNumEventAttrs, DWORD* pdwAttributeIDs,
                            OPCCONDITIONSTATE** ppConditionState) override;
  HRESULT EnableConditionByArea(DWORD dwNumAreas, LPWSTR* pszAreas) override;
  HRESULT EnableConditionBySource(DWORD dwNumSources, LPWSTR* pszSources) override;
  HRESULT DisableConditionByArea(DWORD dwNumAreas, LPWSTR* pszAreas) override;
  HRESULT DisableConditionBySource(DWORD dwNumSources, LPWSTR* pszSources) override;
  HRESULT AckCondition(DWORD dwCount, LPWSTR szAcknowledgerID, LPWSTR szComment, LPWSTR* pszSource,
                       LPWSTR* pszConditionName, FILETIME* pftActiveTime, DWORD* pdwCookie,
                       HRESULT** ppErrors) override;
  HRESULT CreateAreaBrowser(REFIID riid, LPUNKNOWN* ppUnk) override;
};
