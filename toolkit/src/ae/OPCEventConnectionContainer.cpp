#include "ae/OPCEventConnectionContainer.h"

#include "ae/COPCEventSubscription.h"

#include "platform/opcguid.h"

namespace {

const ConnectionPointKind kEventPoint = {
    &IID_IOPCEventSink,
    {
        // Container.
        "OPCEventConnectionContainer",
        "OPCEventSubscription",
        "CIOPCEventConnectionContainer::QueryInterface",
        "CIOPCEventConnectionContainer::EnumConnectionPoints",
        "CIOPCEventConnectionContainer::FindConnectionPoint",
        // Points enumerator.
        "IOPCEventConnectionPtEnumerator",
        "CIOPCEventConnectionContainer::QueryInterface",
        "CIOPCEventConnectionPtEnumerator::Next",
        "CIOPCEventConnectionPtEnumerator::Skip",
        "CIOPCEventConnectionPtEnumerator::Reset",
        "CIOPCEventConnectionPtEnumerator::Clone",
        // Point.
        "OPCEventConnectionPoint",
        "OPCEventConnectionPoint::QueryInterface",
        "OPCEventConnectionPoint::GetConnectionInterface",
        " IID_IOPCEventSink",
        "OPCEventConnectionPoint::GetConnectionPointContainer",
        "OPCEventConnectionPoint::Advise",
        " CONNECT_E_ADVISELIMIT",
        "OPCEventConnectionPoint::Unadvise S_OK",
        "OPCEventConnectionPoint::Unadvise CONNECT_E_NOCONNECT",
        "OPCEventConnectionPoint::EnumConnections",
        // Sink.
        " IID_IOPCEventSink",
    },
};

}  // namespace

OPCEventConnectionContainer::OPCEventConnectionContainer(COPCEventSubscription& subscription)
    : ConnectionContainer(subscription, kEventPoint) {}

IOPCEventSink* OPCEventConnectionContainer::Sink() { return static_cast<IOPCEventSink*>(Point().Sink()); }
