// The group's IDataObject, through which Data Access 1.0 clients get their
// data: one advise sink per stream format ("OPCSTMFORMATDATA",
// "OPCSTMFORMATDATATIME", "OPCSTMFORMATWRITECOMPLETE"), to which the group
// pushes streams (see DataStreamBuilder). The connection number of a sink is
// its format's id. Nothing is rendered on request: the data-fetching methods
// answer E_NOTIMPL. Every method first traces "IOPCDataObject::<method>".
//
// The sink slots are read and changed under the server lock; a delivery
// builds its streams under that lock, takes AddRef'd copies of the sinks, and
// calls them with the lock released, releasing each copy after its call.
#pragma once

#include "com/InterfaceHolder.h"
#include "da/io/DataStreamBuilder.h"

#include "platform/IDataObject.h"

#include <vector>

class OPCGroup;
class OPCGroupItem;

class IOPCDataObjectHolder final : public InterfaceHolder<IDataObject, OPCGroup> {
 public:
  explicit IOPCDataObjectHolder(OPCGroup& owner);
  // Releases the sinks still registered.
  ~IOPCDataObjectHolder() override;

  HRESULT GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
  HRESULT GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
  HRESULT QueryGetData(FORMATETC* pformatetc) override;
  HRESULT GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override;
  HRESULT SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
  HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
  // Registers the sink for the format's stream; the advise flags and the
  // format's other fields are not looked at. E_POINTER for a NULL argument,
  // DV_E_FORMATETC for another format, CONNECT_E_ADVISELIMIT while the
  // format has a sink, the sink's QueryInterface error when it is no
  // IAdviseSink.
  HRESULT DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink, DWORD* pdwConnection) override;
  // OLE_E_NOCONNECTION unless a sink is registered under that number.
  HRESULT DUnadvise(DWORD dwConnection) override;
  HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;

  // Whether a data stream (with or without time) or the write-complete
  // stream has a sink.
  bool HasDataSink() const;
  bool HasWriteSink() const;

  // The group's changed active items to the data sinks, the with-time stream
  // first. With `clearChanged`, the items' changed flags are cleared once
  // every stream wanted was built; with no sink, or no memory, they stay for
  // the next scan.
  void SendSubscriptionData(bool clearChanged);
  // A read's items (those of the server handles, in that order) or a
  // refresh's (every active item) to the data sinks, under the transaction's
  // id; changed flags are untouched. Nothing when no item is left.
  void SendReadResult(DWORD transactionId, const std::vector<OPCHANDLE>& serverHandles);
  void SendRefreshResult(DWORD transactionId);
  // A write's per-item results, in handle order, to the write-complete sink;
  // an item no longer in the group is named by its server handle.
  void SendWriteResult(DWORD transactionId, const std::vector<OPCHANDLE>& serverHandles,
                       const std::vector<HRESULT>& results);

 private:
  enum Slot { kDataSlot, kTimeSlot, kWriteSlot, kSlotCount };
  // A stream ready for its sink.
  struct Delivery {
    IAdviseSink* sink;
    UINT format;
    HGLOBAL stream;
  };

  // The slot of a format id, or kSlotCount.
  int SlotOf(DWORD format) const;
  // The slot's sink AddRef'd, or NULL. The caller holds the server lock.
  IAdviseSink* SinkCopy(Slot slot) const;
  // Adds the items `select` picks to a stream builder and builds the data
  // streams for the sinks registered; with `clearChanged`, clears the picked
  // items' changed flags when every stream was built. Then calls the sinks.
  template <class Select>
  void SendDataStreams(DWORD transactionId, Select select, bool clearChanged);
  // Hands each stream to its sink, with the lock released, then frees it and
  // releases the sink.
  static void Deliver(const std::vector<Delivery>& deliveries);

  IAdviseSink* sinks_[kSlotCount] = {};
  UINT formats_[kSlotCount];
};
