// The connection-point container of a toolkit object: an interface holder of
// that object with exactly one connection point, for the sink interface of its
// kind. AddRef and Release go to the owner; QueryInterface answers for the
// container alone. The point lives and goes with the container.
#pragma once

#include "com/ConnectionPoint.h"
#include "com/ConnectionPointKind.h"
#include "com/InterfaceHolder.h"

#include "platform/IConnectionPointContainer.h"

class ConnectionContainer : public InterfaceHolder<IConnectionPointContainer, IUnknown> {
 public:
  ConnectionContainer(IUnknown& owner, const ConnectionPointKind& kind);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  // A new enumerator over the one point, AddRef'd.
  HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
  // The point, AddRef'd, for the kind's sink interface; E_NOINTERFACE for any other.
  HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

  const ConnectionPointKind& Kind() const { return kind_; }
  ConnectionPoint& Point() { return point_; }

 private:
  // The kind's answer to a NULL out-pointer, traced after `text`.
  HRESULT RefuseNullOutPointer(const char* text) const;

  const ConnectionPointKind& kind_;
  ConnectionPoint point_;
};
