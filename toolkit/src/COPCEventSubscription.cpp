#include "COPCEventSubscription.h"

#include "platform/handletable.h"

namespace {
HandleTable<COPCEventSubscription>& SubscriptionHandles() {
  static HandleTable<COPCEventSubscription> table;
  return table;
}
}  // namespace

COPCEventSubscription::COPCEventSubscription() : handle_(SubscriptionHandles().Add(this)) {}

COPCEventSubscription::~COPCEventSubscription() { SubscriptionHandles().Remove(handle_); }

void COPCEventSubscription::FireSimpleEvent(const char*, const char*, DWORD) {}

void COPCEventSubscription::FireEvent(const ONEVENTSTRUCT&, BOOL, BOOL) {}

void COPCEventSubscription::FireEventRecord(const COPCEvent&) {}
