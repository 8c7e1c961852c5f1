#include "support/EventLog.h"

#include "app/CVorlixApp.h"

#include "platform/taskmemory.h"

EventLog::EventLog() {
  IMalloc* malloc = nullptr;
  if (SUCCEEDED(CoGetMalloc(MEMCTX_TASK, &malloc))) VorlixApp().SetTaskAllocator(malloc);
  VorlixApp().SetEventObserver([this](const COPCEvent& event, DWORD subscription, BOOL refresh, BOOL lastRefresh) {
    entries_.push_back({event.Pack(), subscription, refresh, lastRefresh});
  });
}

EventLog::~EventLog() {
  VorlixApp().SetEventObserver(nullptr);
  for (const Entry& entry : entries_) COPCEvent::FreePacked(entry.event);
}
