// Registers itself as the host's RATENOTIFYPROC and ITEMREMOVEDPROC and keeps
// what arrives, in order, with whether the server lock was held; switches
// both off again when it goes.
#pragma once

#include "platform/wintypes.h"

#include <string>
#include <vector>

struct ItemNotice {
  enum Kind { kRate, kRemoved } kind;
  DWORD tag;
  DWORD rate;
  std::string accessPath;
  std::string tagName;
  bool lockHeld;
};

class ItemNoticeLog {
 public:
  ItemNoticeLog();
  ~ItemNoticeLog();
  ItemNoticeLog(const ItemNoticeLog&) = delete;
  ItemNoticeLog& operator=(const ItemNoticeLog&) = delete;

  std::vector<ItemNotice> Notices() const;
  // The notices so far, forgetting them.
  std::vector<ItemNotice> Take();
  // Take, once `count` notices have arrived or ten seconds have passed: for
  // notices sent by whichever thread lets go of an object last (a client's
  // worker may be inside a group when the client releases it).
  std::vector<ItemNotice> TakeOnceThere(size_t count);
};

// Notices are compared by kind, tag and rate (rate notices) or tag and names
// (removal notices); the lock must not have been held.
bool operator==(const ItemNotice& a, const ItemNotice& b);
ItemNotice RateNotice(DWORD tag, DWORD rate);
ItemNotice RemovedNotice(DWORD tag, const std::string& tagName);
void PrintTo(const ItemNotice& notice, std::ostream* out);
