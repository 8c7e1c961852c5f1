// IUnknown: the root of every COM interface. Interfaces are C++ classes with
// pure virtual methods in the published slot order, so their vtables have the
// target platform's shape.
#pragma once

#include "platform/guid.h"
#include "platform/hresult.h"

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  // COM objects are destroyed by their own Release, never through an interface pointer.
  ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;
