// An enumerator over a snapshot taken when it is made, so that later changes
// of what it lists do not disturb a walk. Next, Skip, Reset and Clone follow
// the rules of EnumeratorCursor; every method writes one trace line
// "<class>::<method>" (QueryInterface with what was asked, AddRef and Release
// with the count). The enumerator counts its own references and goes at its
// last Release; it may keep an owner alive, passing its AddRef and Release on.
//
// A member derives from it, implements Next with HandOutNext, and makes its
// clones in MakeClone.
#pragma once

#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"
#include "com/EnumeratorCursor.h"
#include "com/QueryOwnInterface.h"

#include <atomic>
#include <string>
#include <utility>
#include <vector>

template <class Interface, class Element>
class SnapshotEnumerator : public Interface {
 public:
  SnapshotEnumerator(const SnapshotEnumerator&) = delete;
  SnapshotEnumerator& operator=(const SnapshotEnumerator&) = delete;

  // IUnknown and the member's own interface give the enumerator itself.
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    return AnswerComCall([&] {
      return QueryOwnInterface(*this, ownIid_, ownIidTrace_, (traceClass_ + "::QueryInterface").c_str(), riid,
                               ppvObject);
    });
  }

  ULONG AddRef() override {
    const LONG count = ++references_;
    VorlixApp().TraceCount(traceClass_.c_str(), "AddRef", count);
    if (owner_ != nullptr) owner_->AddRef();
    return static_cast<ULONG>(count);
  }

  // The last Release deletes the enumerator before it lets go of its owner.
  ULONG Release() override {
    const LONG count = --references_;
    VorlixApp().TraceCount(traceClass_.c_str(), "Release", count + 1);
    IUnknown* owner = owner_;
    if (count == 0) delete this;
    if (owner != nullptr) owner->Release();
    return static_cast<ULONG>(count);
  }

  HRESULT Skip(ULONG celt) override {
    return AnswerComCall([&] {
      Trace("::Skip");
      return cursor_.Skip(celt, snapshot_.size());
    });
  }

  HRESULT Reset() override {
    return AnswerComCall([&]() -> HRESULT {
      Trace("::Reset");
      cursor_.Reset();
      return S_OK;
    });
  }

  HRESULT Clone(Interface** ppenum) override {
    return AnswerComCall([&]() -> HRESULT {
      Trace("::Clone");
      if (ppenum == nullptr) return E_INVALIDARG;
      SnapshotEnumerator* clone = MakeClone(cursor_.Position());
      *ppenum = clone;
      if (clone == nullptr) return E_OUTOFMEMORY;
      clone->AddRef();
      return S_OK;
    });
  }

 protected:
  // `traceClass` starts every trace line; `ownIidTrace` names the member's own
  // interface in QueryInterface's line (with a leading blank).
  SnapshotEnumerator(const char* traceClass, REFIID ownIid, const char* ownIidTrace, std::vector<Element> snapshot,
                     ULONG position, IUnknown* owner = nullptr)
      : traceClass_(traceClass), ownIid_(ownIid), ownIidTrace_(ownIidTrace), owner_(owner),
        snapshot_(std::move(snapshot)), cursor_(position) {}
  virtual ~SnapshotEnumerator() = default;

  // A new enumerator of the member's kind over a copy of the snapshot, at
  // that position, with no reference yet; NULL when there is no memory.
  virtual SnapshotEnumerator* MakeClone(ULONG position) const = 0;

  const std::vector<Element>& Snapshot() const { return snapshot_; }
  IUnknown* Owner() const { return owner_; }
  // Traces "<class><method>"; `method` starts with "::".
  void Trace(const char* method) const { VorlixApp().TraceMessage(traceClass_.c_str(), method); }

  // The body of Next (see EnumeratorCursor::Next): `fill(first, count)`
  // hands out `count` elements of the snapshot from `first` on into the
  // caller's `elements`, or hands out none and answers false.
  template <class Fill>
  HRESULT HandOutNext(ULONG requested, const void* elements, ULONG* fetched, Fill fill) {
    return cursor_.Next(requested, elements, fetched, snapshot_.size(),
                        [&](ULONG first, ULONG count) { return fill(snapshot_.data() + first, count); });
  }

 private:
  const std::string traceClass_;
  const IID ownIid_;
  const char* const ownIidTrace_;
  IUnknown* const owner_;
  const std::vector<Element> snapshot_;
  std::atomic<LONG> references_{0};
  EnumeratorCursor cursor_;
};
