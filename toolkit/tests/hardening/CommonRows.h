// Rows that every COM object of the library shares: its QueryInterface, and
// the one-sink connection point with its container and points enumerator.
#pragma once

#include "hardening/BadInputTable.h"
#include "platform/IConnectionPointContainer.h"
#include "platform/unknown.h"

// An interface identifier that no object of the library offers.
extern const IID kUnknownIid;

// QueryInterface on `object` with a NULL out-pointer and with an unknown IID.
void AddQueryInterfaceRows(BadInputTable& table, const std::string& name, IUnknown* object);

// The container, its point for `sinkIid` and the points enumerator: NULL
// out-pointers, unknown IIDs, a sink without the point's interface, cookies
// 0, 0xFFFFFFFF and one already unadvised, and counts beyond the one point.
// `sink` offers the point's interface; `wrongSink` does not. The container
// answers `nullOut` for a NULL out-pointer.
void AddConnectionPointRows(BadInputTable& table, const std::string& name, IConnectionPointContainer* container,
                            REFIID sinkIid, IUnknown* sink, IUnknown* wrongSink, HRESULT nullOut = E_INVALIDARG);
