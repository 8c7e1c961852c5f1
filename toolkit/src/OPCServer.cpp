#include "OPCServer.h"

int OPCServer::CountTagItems(const std::string&) const { return 0; }

DWORD OPCServer::FastestTagRate(const OPCTag&) const { return 0; }
