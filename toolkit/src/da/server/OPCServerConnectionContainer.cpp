#include "da/server/OPCServerConnectionContainer.h"

#include "da/server/OPCServer.h"

#include "platform/IOPCShutdown.h"
#include "platform/opcguid.h"

#include <cassert>

namespace {

const ConnectionPointKind kShutdownPoint = {
    &IID_IOPCShutdown,
    {
        // Container.
        "OPCServerConnectionContainer",
        "OPCServer",
        "CIOPCServerConnectionContainer::QueryInterface",
        "CIOPCSvrConnectionContainer::EnumConnectionPoints",
        "CIOPCSvrConnectionContainer::FindConnectionPoint",
        // Points enumerator: only Next traces.
        "IOPCServerConnectionPtEnumerator",
        "CIOPCServerConnectionContainer::QueryInterface",
        "CIOPCServerConnectionPtEnumerator::Next",
        nullptr,
        nullptr,
        nullptr,
        // Point.
        "OPCServerConnectionPoint",
        "OPCSvrConnectionPoint::QueryInterface",
        "OPCServerConnectionPoint::GetConnectionInterface",
        "",
        "OPCServerConnectionPoint::GetConnectionPointContainer",
        "OPCServerConnectionPoint::Advise",
        " E_ADVISELIMIT",
        nullptr,
        "OPCServerConnectionPoint::Uadvise CONNECT_E_NOCONNECTION",
        nullptr,
        // Sink.
        " IID_IOPCShutdown",
    },
};

}  // namespace

OPCServerConnectionContainer::OPCServerConnectionContainer(OPCServer& server)
    : ConnectionContainer(server, kShutdownPoint) {}

void OPCServerConnectionContainer::ShutdownRequest() {
  assert(!VorlixApp().GetServerLock().HeldByCurrentThread());
  IUnknown* sink = Point().Sink();
  if (sink == nullptr) return;
  static_cast<IOPCShutdown*>(sink)->ShutdownRequest(OLESTR(""));
  sink->Release();
}
