// What the host hears when client items come and go: the fastest client rate
// of a tag (RATENOTIFYPROC) and the loss of a tag's last client item
// (ITEMREMOVEDPROC). The bookkeeping on the tag happens under the server lock;
// the notices are sent afterwards, with the lock released, in the order they
// arose (for one departing item the rate before the removal).
#pragma once

#include "platform/wintypes.h"

#include <string>
#include <vector>

class OPCGroupItem;
class OPCTag;

class ItemHostNotices {
 public:
  // A new item on the tag: when it is faster than every item before it (or the
  // first), it sets the tag's fastest client rate and the host hears of it.
  // The caller holds the server lock.
  void ItemAdded(const OPCGroupItem& item, OPCTag& tag);
  // An item has left its group: its tag (`tag`, the leaf of its name, NULL
  // when there is none), when it counts it, counts one client item less; when
  // the item ran at the tag's fastest rate that rate is found again over the
  // items left, and when none is left the host hears that too. The caller
  // holds the server lock and has taken the item out of its group and out of
  // the tag's list (ClientItemIndex::Leave, which gave the tag).
  void ItemLeft(const OPCGroupItem& item, OPCTag* tag);

  // Calls the host's callbacks for what was noted; the caller holds no lock.
  void Send();

 private:
  struct Notice {
    enum Kind { kRate, kRemoved } kind;
    DWORD tagHandle;
    DWORD rate;
    std::string tagName;
  };
  std::vector<Notice> notices_;
};
