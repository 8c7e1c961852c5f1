#include "OPCServer.h"

int OPCServer::CountTagItems(const std::string&) const { return 0; }

DWORD OPCServer::FastestTagRate(const OPCTag&) const { return 0; }

int OPCServer::PropagateTag(const OPCTag&) { return 0; }

int OPCServer::PropagateTagList(const std::vector<const OPCTag*>&) { return 0; }

int OPCServer::ProcessAsyncRequests() { return 0; }

int OPCServer::ScanGroups(BOOL) { return 0; }

int OPCServer::BroadcastEventRecord(const COPCEvent&) { return 0; }

int OPCServer::BroadcastUserMessage(const char*, const char*, DWORD) { return 0; }

int OPCServer::BroadcastEvent(DWORD, const ONEVENTSTRUCT&, BOOL, BOOL) { return 0; }
