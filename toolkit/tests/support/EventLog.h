// Watches the library's event broadcasts and keeps each event packed as a
// subscription would send it, with the subscription it was for and the
// refresh flags. It gives the library the task allocator it packs into.
#pragma once

#include "platform/opcae.h"

#include <vector>

class EventLog {
 public:
  EventLog();
  ~EventLog();
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  struct Entry {
    ONEVENTSTRUCT* event;
    DWORD subscription;
    BOOL refresh;
    BOOL lastRefresh;
  };
  const std::vector<Entry>& Entries() const { return entries_; }
  size_t Size() const { return entries_.size(); }
  const ONEVENTSTRUCT& operator[](size_t i) const { return *entries_.at(i).event; }

 private:
  std::vector<Entry> entries_;
};
