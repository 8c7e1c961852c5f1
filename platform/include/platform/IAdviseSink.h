// IAdviseSink: a client's receiver of data and view notifications. Every
// method is one-way: the caller does not wait for an outcome, and the medium
// handed to OnDataChange stays the caller's, freed after the call.
#pragma once

#include "platform/datatransfer.h"
#include "platform/unknown.h"

struct IMoniker;

struct IAdviseSink : public IUnknown {
  virtual void OnDataChange(FORMATETC* pFormatetc, STGMEDIUM* pStgmed) = 0;
  virtual void OnViewChange(DWORD dwAspect, LONG lindex) = 0;
  virtual void OnRename(IMoniker* pmk) = 0;
  virtual void OnSave() = 0;
  virtual void OnClose() = 0;

 protected:
  ~IAdviseSink() = default;
};
typedef IAdviseSink* LPADVISESINK;
