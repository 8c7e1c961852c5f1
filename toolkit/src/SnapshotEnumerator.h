// The enumerator contract over a snapshot taken when the enumerator is made,
// so that later changes of what it lists do not disturb a walk: Next hands
// out elements from the position on, Skip moves on only when that many
// elements are left, Reset goes back to the first, Clone makes an enumerator
// over a copy of the snapshot at the same position. Every method writes one
// trace line "<class>::<method>" (QueryInterface with the identifier's name,
// AddRef and Release with the count). An enumerator may keep an owner alive:
// its AddRef and Release are passed on to it.
//
// A member derives from it, implements Next with HandOutNext, and says in
// MakeClone how its snapshot is copied.
#pragma once

#include "CVorlixApp.h"
#include "IIDTraceName.h"

#include <atomic>
#include <mutex>
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
    if (ppvObject == nullptr) {
      Trace("::QueryInterface E_INVALIDARG");
      return E_INVALIDARG;
    }
    *ppvObject = nullptr;
    const char* name = riid == IID_IUnknown ? " IID_IUnknown" : riid == ownIid_ ? ownIidTrace_ : IIDTraceName(riid);
    Trace(std::string("::QueryInterface") + name);
    if (riid != IID_IUnknown && riid != ownIid_) return E_NOINTERFACE;
    *ppvObject = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }

  ULONG AddRef() override {
    const LONG count = ++references_;
    Trace("::AddRef(" + std::to_string(count) + ")");
    if (owner_ != nullptr) owner_->AddRef();
    return static_cast<ULONG>(count);
  }

  // The last Release deletes the enumerator before it lets go of its owner.
  ULONG Release() override {
    const LONG count = --references_;
    Trace("::Release(" + std::to_string(count + 1) + ")");
    IUnknown* owner = owner_;
    if (count == 0) delete this;
    if (owner != nullptr) owner->Release();
    return static_cast<ULONG>(count);
  }

  HRESULT Skip(ULONG celt) override {
    Trace("::Skip");
    std::lock_guard<std::mutex> guard(mutex_);
    if (position_ + celt > snapshot_.size()) return S_FALSE;
    position_ += celt;
    return S_OK;
  }

  HRESULT Reset() override {
    Trace("::Reset");
    std::lock_guard<std::mutex> guard(mutex_);
    position_ = 0;
    return S_OK;
  }

  HRESULT Clone(Interface** ppenum) override {
    Trace("::Clone");
    if (ppenum == nullptr) return E_INVALIDARG;
    *ppenum = nullptr;
    std::lock_guard<std::mutex> guard(mutex_);
    SnapshotEnumerator* clone = MakeClone();
    if (clone == nullptr) return E_OUTOFMEMORY;
    clone->position_ = position_;
    clone->AddRef();
    *ppenum = clone;
    return S_OK;
  }

 protected:
  // `traceClass` starts every trace line; `ownIidTrace` names the member's own
  // interface in QueryInterface's line (with a leading blank).
  SnapshotEnumerator(const char* traceClass, REFIID ownIid, const char* ownIidTrace, std::vector<Element> snapshot,
                     IUnknown* owner = nullptr)
      : traceClass_(traceClass), ownIid_(ownIid), ownIidTrace_(ownIidTrace), owner_(owner),
        snapshot_(std::move(snapshot)) {}
  virtual ~SnapshotEnumerator() = default;

  // A new enumerator of the member's kind over a copy of the snapshot, with
  // no reference yet; NULL when there is no memory.
  virtual SnapshotEnumerator* MakeClone() const = 0;

  const std::vector<Element>& Snapshot() const { return snapshot_; }
  IUnknown* Owner() const { return owner_; }
  void Trace(const std::string& method) const { VorlixApp().TraceMessage((traceClass_ + method).c_str()); }

  // The body of Next: the elements left from the position on, at most
  // `requested`, go to `handOut(first, count)`, which answers S_OK when it
  // handed them all out or a failure when it handed out none. On success the
  // position moves past them and the answer is S_OK when `requested` went out,
  // else S_FALSE. `fetched` (when given) receives how many went out.
  template <class HandOut>
  HRESULT HandOutNext(ULONG requested, ULONG* fetched, HandOut handOut) {
    std::lock_guard<std::mutex> guard(mutex_);
    const size_t left = snapshot_.size() - position_;
    const ULONG count = requested < left ? requested : static_cast<ULONG>(left);
    const HRESULT hr = handOut(snapshot_.data() + position_, count);
    if (fetched != nullptr) *fetched = SUCCEEDED(hr) ? count : 0;
    if (FAILED(hr)) return hr;
    position_ += count;
    return count == requested ? S_OK : S_FALSE;
  }

 private:
  const std::string traceClass_;
  const IID ownIid_;
  const char* const ownIidTrace_;
  IUnknown* const owner_;
  const std::vector<Element> snapshot_;
  std::atomic<LONG> references_{0};
  std::mutex mutex_;
  size_t position_ = 0;
};
