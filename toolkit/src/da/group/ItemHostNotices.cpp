#include "da/group/ItemHostNotices.h"

#include "app/CVorlixApp.h"
#include "da/group/OPCGroupItem.h"
#include "tags/OPCTag.h"

#include <cassert>

void ItemHostNotices::ItemAdded(const OPCGroupItem& item, OPCTag& tag) {
  if (tag.live->fastestClientRate != 0 && item.updateRate >= tag.live->fastestClientRate) return;
  tag.live->fastestClientRate = item.updateRate;
  notices_.push_back({Notice::kRate, tag.live->handle, item.updateRate, std::string()});
}

void ItemHostNotices::ItemLeft(const OPCGroupItem& item, OPCTag* tag) {
  // A tag made again since the item was added counts only the items of listed
  // groups; a branch made under the item's name counts none.
  if (tag == nullptr || !tag->HasHandle() || tag->live->refCount < 1) return;
  --tag->live->refCount;
  if (item.updateRate == tag->live->fastestClientRate) {
    tag->live->fastestClientRate = tag->live->refCount > 0 ? VorlixApp().FastestItemRate(*tag) : 0;
    notices_.push_back({Notice::kRate, tag->live->handle, tag->live->fastestClientRate, std::string()});
  }
  if (tag->live->refCount < 1) notices_.push_back({Notice::kRemoved, tag->live->handle, 0, tag->name});
}

void ItemHostNotices::Send() {
  if (notices_.empty()) return;
  CVorlixApp& app = VorlixApp();
  assert(!app.GetServerLock().HeldByCurrentThread());
  for (Notice& notice : notices_) {
    if (notice.kind == Notice::kRate) {
      if (const RATENOTIFYPROC proc = app.RateProc().Get()) proc(notice.tagHandle, notice.rate);
    } else if (const ITEMREMOVEDPROC proc = app.ItemRemovedProc().Get()) {
      char noAccessPath[] = "";
      proc(notice.tagHandle, noAccessPath, &notice.tagName[0]);
    }
  }
  notices_.clear();
}
