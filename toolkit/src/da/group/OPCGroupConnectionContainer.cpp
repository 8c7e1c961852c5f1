#include "da/group/OPCGroupConnectionContainer.h"

#include "com/PerItemCall.h"
#include "da/group/OPCGroup.h"
#include "da/io/ItemValueArrays.h"

#include "platform/opcguid.h"

#include <cassert>
#include <memory>

namespace {

const ConnectionPointKind kDataCallbackPoint = {
    &IID_IOPCDataCallback,
    {
        // Container.
        "OPCGroupConnectionContainer",
        "OPCGroup",
        "CIOPCGroupConnectionContainer::QueryInterface",
        "CIOPCGroupConnectionContainer::EnumConnectionPoints",
        "CIOPCGroupConnectionContainer::FindConnectionPoint",
        // Points enumerator.
        "IOPCGroupConnectionPtEnumerator",
        "CIOPCGroupConnectionPtEnumerator::QueryInterface",
        "CIOPCGroupConnectionPtEnumerator::Next",
        "CIOPCGroupConnectionPtEnumerator::Skip",
        "CIOPCGroupConnectionPtEnumerator::Reset",
        "CIOPCGroupConnectionPtEnumerator::Clone",
        // Point.
        "OPCGroupConnectionPoint",
        "OPCGroupConnectionPoint::QueryInterface",
        "OPCGroupConnectionPoint::GetConnectionInterface",
        " S_OK",
        "OPCGroupConnectionPoint::GetConnectionPointContainer",
        "OPCGroupConnectionPoint::Advise",
        " CONNECT_E_ADVISELIMIT",
        "OPCGroupConnectionPoint::Unadvise S_OK",
        "OPCGroupConnectionPoint::Unadvise CONNECT_E_NOCONNECT",
        "OPCGroupConnectionPoint::EnumConnections",
        // Sink.
        " IID_IOPCDataCallback",
    },
    E_POINTER,
};

struct ReleaseSink {
  void operator()(IOPCDataCallback* sink) const { sink->Release(); }
};
using HeldSink = std::unique_ptr<IOPCDataCallback, ReleaseSink>;

}  // namespace

OPCGroupConnectionContainer::OPCGroupConnectionContainer(OPCGroup& group)
    : ConnectionContainer(group, kDataCallbackPoint), group_(group) {}

IOPCDataCallback* OPCGroupConnectionContainer::Sink() {
  return static_cast<IOPCDataCallback*>(Point().Sink());
}

bool OPCGroupConnectionContainer::HasSink() {
  const HeldSink sink(Sink());
  return sink != nullptr;
}

template <class Select>
void OPCGroupConnectionContainer::SendValues(ValuesCall call, DWORD transactionId, bool clearChanged, Select select) {
  assert(!VorlixApp().GetServerLock().HeldByCurrentThread());
  const HeldSink sink(Sink());
  if (sink == nullptr) return;
  ItemValueArrays arrays;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    const std::vector<OPCGroupItem*> items = select();
    // Without memory the changed flags stay set, so the next scan tries again.
    if (items.empty() || !arrays.Fill(items)) return;
    if (clearChanged) {
      for (OPCGroupItem* item : items) item->changed = FALSE;
    }
  }
  ((*sink).*call)(transactionId, group_.ClientHandle(), arrays.MasterQuality(), arrays.MasterError(), arrays.Count(),
                  arrays.ClientHandles(), arrays.Values(), arrays.Qualities(), arrays.TimeStamps(), arrays.Errors());
}

void OPCGroupConnectionContainer::SendDataChange() {
  if (!Enabled()) return;
  SendValues(&IOPCDataCallback::OnDataChange, 0, true, [&] { return group_.ChangedActiveItems(); });
}

void OPCGroupConnectionContainer::SendRefresh(DWORD transactionId) {
  SendValues(&IOPCDataCallback::OnDataChange, transactionId, false, [&] { return group_.ActiveItems(); });
}

void OPCGroupConnectionContainer::SendReadComplete(DWORD transactionId, const std::vector<OPCHANDLE>& serverHandles) {
  SendValues(&IOPCDataCallback::OnReadComplete, transactionId, false,
             [&] { return group_.ItemsWithHandles(serverHandles); });
}

void OPCGroupConnectionContainer::SendWriteComplete(DWORD transactionId, const std::vector<OPCHANDLE>& serverHandles,
                                                    const std::vector<HRESULT>& errors) {
  assert(!VorlixApp().GetServerLock().HeldByCurrentThread());
  assert(serverHandles.size() == errors.size());
  const HeldSink sink(Sink());
  if (sink == nullptr) return;
  const size_t count = serverHandles.size();
  TaskArray<OPCHANDLE> clientHandles(count);
  TaskArray<HRESULT> itemErrors(count);
  if (!clientHandles || !itemErrors) return;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    for (size_t i = 0; i < count; ++i) clientHandles[i] = group_.ClientHandleOf(serverHandles[i]);
  }
  for (size_t i = 0; i < count; ++i) itemErrors[i] = errors[i];
  const DWORD n = static_cast<DWORD>(count);
  sink->OnWriteComplete(transactionId, group_.ClientHandle(), PerItemOutcome(itemErrors.Get(), n), n,
                        clientHandles.Get(), itemErrors.Get());
}

void OPCGroupConnectionContainer::SendCancelComplete(DWORD transactionId) {
  assert(!VorlixApp().GetServerLock().HeldByCurrentThread());
  const HeldSink sink(Sink());
  if (sink != nullptr) sink->OnCancelComplete(transactionId, group_.ClientHandle());
}
