// Interface identifiers of the OPC Data Access, Alarms and Events, Common and
// Security interfaces, with their published values.
#pragma once

#include "platform/guid.h"

// Data Access 1.0 and 2.0.
extern const IID IID_IOPCServer;
extern const IID IID_IOPCServerPublicGroups;
extern const IID IID_IOPCBrowseServerAddressSpace;
extern const IID IID_IOPCGroupStateMgt;
extern const IID IID_IOPCPublicGroupStateMgt;
extern const IID IID_IOPCSyncIO;
extern const IID IID_IOPCAsyncIO;
extern const IID IID_IOPCItemMgt;
extern const IID IID_IEnumOPCItemAttributes;
extern const IID IID_IOPCDataCallback;
extern const IID IID_IOPCAsyncIO2;
extern const IID IID_IOPCItemProperties;

// Common.
extern const IID IID_IOPCCommon;
extern const IID IID_IOPCShutdown;

// Alarms and Events 1.0.
extern const IID IID_IOPCEventServer;
extern const IID IID_IOPCEventSubscriptionMgt;
extern const IID IID_IOPCEventAreaBrowser;
extern const IID IID_IOPCEventSink;

// Security.
extern const IID IID_IOPCSecurityNT;
