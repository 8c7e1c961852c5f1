#include "da/io/IOPCDataObjectHolder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "da/group/OPCGroup.h"

#include "platform/clipboard.h"

#include <utility>

namespace {


// The stream formats, in slot order.
constexpr const char* kFormatNames[] = {"OPCSTMFORMATDATA", "OPCSTMFORMATDATATIME", "OPCSTMFORMATWRITECOMPLETE"};

}  // namespace

IOPCDataObjectHolder::IOPCDataObjectHolder(OPCGroup& owner) : InterfaceHolder(owner, "IOPCDataObject", "OPCGroup", " ") {
  for (int slot = 0; slot < kSlotCount; ++slot) formats_[slot] = RegisterClipboardFormatA(kFormatNames[slot]);
}

IOPCDataObjectHolder::~IOPCDataObjectHolder() {
  for (IAdviseSink* sink : sinks_) {
    if (sink != nullptr) sink->Release();
  }
}

HRESULT IOPCDataObjectHolder::GetData(FORMATETC*, STGMEDIUM*) {
  VorlixApp().TraceMessage("IOPCDataObject::GetData");
  return E_NOTIMPL;
}

HRESULT IOPCDataObjectHolder::GetDataHere(FORMATETC*, STGMEDIUM*) {
  VorlixApp().TraceMessage("IOPCDataObject::GetDataHere");
  return E_NOTIMPL;
}

HRESULT IOPCDataObjectHolder::QueryGetData(FORMATETC*) {
  VorlixApp().TraceMessage("IOPCDataObject::QueryGetData");
  return E_NOTIMPL;
}

HRESULT IOPCDataObjectHolder::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) {
  VorlixApp().TraceMessage("IOPCDataObject::GetCanonicalFormatEtc");
  return E_NOTIMPL;
}

HRESULT IOPCDataObjectHolder::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
  VorlixApp().TraceMessage("IOPCDataObject::SetData");
  return E_NOTIMPL;
}

HRESULT IOPCDataObjectHolder::EnumFormatEtc(DWORD, IEnumFORMATETC**) {
  VorlixApp().TraceMessage("IOPCDataObject::EnumFormatEtc");
  return E_NOTIMPL;
}

HRESULT IOPCDataObjectHolder::EnumDAdvise(IEnumSTATDATA**) {
  VorlixApp().TraceMessage("IOPCDataObject::EnumDAdvise");
  return E_NOTIMPL;
}

HRESULT IOPCDataObjectHolder::DAdvise(FORMATETC* pformatetc, DWORD, IAdviseSink* pAdvSink, DWORD* pdwConnection) {
  VorlixApp().TraceMessage("IOPCDataObject::DAdvise");
  return AnswerComCall([&]() -> HRESULT {
    if (!ClearOutPointers(pdwConnection) || pformatetc == nullptr || pAdvSink == nullptr) return E_POINTER;
    const int slot = SlotOf(pformatetc->cfFormat);
    if (slot == kSlotCount) return DV_E_FORMATETC;
    if (owner_.Retired()) return E_FAIL;
    ServerLock& lock = VorlixApp().GetServerLock();
    {
      ServerLock::Hold hold(lock);
      if (sinks_[slot] != nullptr) return CONNECT_E_ADVISELIMIT;
    }
    // The client's object is asked without the lock; the slot is checked again
    // when its answer is kept.
    void* asked = nullptr;
    const HRESULT hr = pAdvSink->QueryInterface(IID_IAdviseSink, &asked);
    if (FAILED(hr)) return hr;
    if (asked == nullptr) return E_NOINTERFACE;
    IAdviseSink* const offered = static_cast<IAdviseSink*>(asked);
    bool kept = false;
    {
      ServerLock::Hold hold(lock);
      if (sinks_[slot] == nullptr) {
        sinks_[slot] = offered;
        kept = true;
      }
    }
    if (!kept) {
      offered->Release();
      return CONNECT_E_ADVISELIMIT;
    }
    *pdwConnection = formats_[slot];
    return S_OK;
  });
}

HRESULT IOPCDataObjectHolder::DUnadvise(DWORD dwConnection) {
  VorlixApp().TraceMessage("IOPCDataObject::DUnadvise");
  return AnswerComCall([&]() -> HRESULT {
    const int slot = SlotOf(dwConnection);
    IAdviseSink* released = nullptr;
    if (slot != kSlotCount) {
      ServerLock::Hold hold(VorlixApp().GetServerLock());
      std::swap(released, sinks_[slot]);
    }
    if (released == nullptr) return OLE_E_NOCONNECTION;
    released->Release();
    return S_OK;
  });
}

bool IOPCDataObjectHolder::HasDataSink() const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return sinks_[kDataSlot] != nullptr || sinks_[kTimeSlot] != nullptr;
}

bool IOPCDataObjectHolder::HasWriteSink() const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return sinks_[kWriteSlot] != nullptr;
}

int IOPCDataObjectHolder::SlotOf(DWORD format) const {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (formats_[slot] != 0 && formats_[slot] == format) return slot;
  }
  return kSlotCount;
}

IAdviseSink* IOPCDataObjectHolder::SinkCopy(Slot slot) const {
  IAdviseSink* sink = sinks_[slot];
  if (sink != nullptr) sink->AddRef();
  return sink;
}

void IOPCDataObjectHolder::SendSubscriptionData(bool clearChanged) {
  SendDataStreams(
      0,
      [&] { return owner_.ChangedActiveItems(); },
      clearChanged);
}

void IOPCDataObjectHolder::SendReadResult(DWORD transactionId, const std::vector<OPCHANDLE>& serverHandles) {
  SendDataStreams(
      transactionId,
      [&] { return owner_.ItemsWithHandles(serverHandles); },
      false);
}

void IOPCDataObjectHolder::SendRefreshResult(DWORD transactionId) {
  SendDataStreams(
      transactionId,
      [&] { return owner_.ActiveItems(); },
      false);
}

template <class Select>
void IOPCDataObjectHolder::SendDataStreams(DWORD transactionId, Select select, bool clearChanged) {
  std::vector<Delivery> deliveries;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    if (sinks_[kTimeSlot] == nullptr && sinks_[kDataSlot] == nullptr) return;
    const std::vector<OPCGroupItem*> items = select();
    if (items.empty()) return;
    DataStreamBuilder builder(owner_.ClientHandle(), transactionId);
    for (const OPCGroupItem* item : items) builder.Add(*item);
    bool everyStreamBuilt = true;
    for (const Slot slot : {kTimeSlot, kDataSlot}) {
      if (sinks_[slot] == nullptr) continue;
      const HGLOBAL stream = builder.Build(slot == kTimeSlot);
      if (stream == nullptr) {
        everyStreamBuilt = false;
        continue;
      }
      deliveries.push_back({SinkCopy(slot), formats_[slot], stream});
    }
    if (clearChanged && everyStreamBuilt) {
      for (OPCGroupItem* item : items) item->changed = FALSE;
    }
  }
  Deliver(deliveries);
}

void IOPCDataObjectHolder::SendWriteResult(DWORD transactionId, const std::vector<OPCHANDLE>& serverHandles,
                                           const std::vector<HRESULT>& results) {
  IAdviseSink* sink = nullptr;
  std::vector<DataStreamBuilder::WriteOutcome> outcomes;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    sink = SinkCopy(kWriteSlot);
    if (sink == nullptr) return;
    for (size_t i = 0; i < results.size() && i < serverHandles.size(); ++i) {
      const OPCGroupItem* item = owner_.FindItem(serverHandles[i]);
      outcomes.push_back({item != nullptr ? item->clientHandle : serverHandles[i], results[i]});
    }
  }
  const HGLOBAL stream = DataStreamBuilder::BuildWriteComplete(owner_.ClientHandle(), transactionId, outcomes);
  if (stream == nullptr) {
    sink->Release();
    return;
  }
  Deliver({{sink, formats_[kWriteSlot], stream}});
}

void IOPCDataObjectHolder::Deliver(const std::vector<Delivery>& deliveries) {
  for (const Delivery& delivery : deliveries) {
    FORMATETC format{static_cast<CLIPFORMAT>(delivery.format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = delivery.stream;
    medium.pUnkForRelease = nullptr;
    delivery.sink->OnDataChange(&format, &medium);
    GlobalFree(delivery.stream);
    delivery.sink->Release();
  }
}
