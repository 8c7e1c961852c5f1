// QueryInterface of an object that is its own interface: it answers IUnknown
// and that one interface with itself, AddRef'd, and nothing else. One trace
// line: `traceText` followed by what was asked (" IID_IUnknown", the
// interface's own trace name, or what IIDTraceName gives for any other), or
// by " E_INVALIDARG" for a NULL out-pointer; none when `traceText` is NULL.
#pragma once

#include "platform/unknown.h"

HRESULT QueryOwnInterface(IUnknown& self, REFIID ownIid, const char* ownTraceName, const char* traceText, REFIID riid,
                          void** ppvObject);
