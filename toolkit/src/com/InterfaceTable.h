// The interfaces a toolkit COM object offers, as a table its QueryInterface
// walks in order. A row names the interface (and a second identifier answered
// the same way, if any), the text its trace line ends with, and what answers:
// the object itself, nothing (an interface the object refuses), or the holder
// kept in a slot of the object, made on the first request. A row whose holder
// has no maker yet answers like a refused one.
#pragma once

#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"
#include "app/IIDTraceName.h"
#include "com/HolderSlot.h"

#include <new>
#include <string>

// What answers for a row, when not a holder slot.
constexpr int kAnswersItself = -1;
constexpr int kRefused = -2;

template <class Owner>
struct InterfaceTableRow {
  const IID* iid;
  const IID* alsoIid;
  const char* traceSuffix;
  // The holder slot, or kAnswersItself / kRefused.
  int holder;
  InterfaceHolderBase* (*make)(Owner& owner);
};

// The maker of a holder of type `Holder`; NULL when there is no memory.
template <class Holder, class Owner>
InterfaceHolderBase* MakeHolder(Owner& owner) {
  return new (std::nothrow) Holder(owner);
}

// The work of QueryInterfaceFromTable below, which may throw.
template <class Owner, size_t N>
HRESULT AnswerFromTable(Owner& owner, const char* ownerName, const InterfaceTableRow<Owner> (&table)[N],
                        HolderSlot* slots, REFIID riid, void** ppvObject) {
  const std::string trace = std::string(ownerName) + "::QueryInterface";
  if (ppvObject == nullptr) {
    VorlixApp().TraceMessage(trace.c_str(), " E_INVALIDARG");
    return E_INVALIDARG;
  }
  *ppvObject = nullptr;
  const InterfaceTableRow<Owner>* row = nullptr;
  for (const InterfaceTableRow<Owner>& candidate : table) {
    if (riid == *candidate.iid || (candidate.alsoIid != nullptr && riid == *candidate.alsoIid)) {
      row = &candidate;
      break;
    }
  }
  VorlixApp().TraceMessage(trace.c_str(), row != nullptr ? row->traceSuffix : IIDTraceName(riid));
  IUnknown* answer = nullptr;
  if (row != nullptr && row->holder == kAnswersItself) {
    answer = &owner;
  } else if (row != nullptr && row->holder >= 0 && row->make != nullptr) {
    answer = slots[row->holder].Get([&] { return row->make(owner); });
  }
  if (answer == nullptr) return E_NOINTERFACE;
  *ppvObject = answer;
  owner.AddRef();
  return S_OK;
}

// QueryInterface of `owner` from its table. Traces "<ownerName>::QueryInterface"
// with the row's suffix (the IID's trace name for an identifier outside the
// table, " E_INVALIDARG" for a null out-pointer). A hit sets the out-pointer
// and AddRefs the owner once; a miss, or no memory for the holder, gives a
// null out-pointer and E_NOINTERFACE; E_OUTOFMEMORY when memory runs out
// otherwise.
template <class Owner, size_t N>
HRESULT QueryInterfaceFromTable(Owner& owner, const char* ownerName, const InterfaceTableRow<Owner> (&table)[N],
                                HolderSlot* slots, REFIID riid, void** ppvObject) {
  return AnswerComCall([&] { return AnswerFromTable(owner, ownerName, table, slots, riid, ppvObject); });
}
