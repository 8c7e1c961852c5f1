// IDataObject: data offered in clipboard formats, fetched on request or pushed
// to advise sinks registered per format. Slots in the published order.
#pragma once

#include "platform/IAdviseSink.h"
#include "platform/datatransfer.h"
#include "platform/unknown.h"

struct IEnumFORMATETC;
struct IEnumSTATDATA;

// Which formats EnumFormatEtc lists.
constexpr DWORD DATADIR_GET = 1;
constexpr DWORD DATADIR_SET = 2;

struct IDataObject : public IUnknown {
  virtual HRESULT GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) = 0;
  virtual HRESULT GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) = 0;
  virtual HRESULT QueryGetData(FORMATETC* pformatetc) = 0;
  virtual HRESULT GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) = 0;
  virtual HRESULT SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) = 0;
  virtual HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) = 0;
  virtual HRESULT DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink, DWORD* pdwConnection) = 0;
  virtual HRESULT DUnadvise(DWORD dwConnection) = 0;
  virtual HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) = 0;

 protected:
  ~IDataObject() = default;
};
typedef IDataObject* LPDATAOBJECT;
