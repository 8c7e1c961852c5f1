#include "support/ItemNoticeLog.h"

#include "app/CVorlixApp.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>

namespace {

std::mutex noticesLock;
std::condition_variable noticeArrived;
std::vector<ItemNotice> notices;

bool LockHeld() { return VorlixApp().GetServerLock().HeldByCurrentThread(); }

void RecordRate(DWORD tag, DWORD rate) {
  std::lock_guard<std::mutex> guard(noticesLock);
  notices.push_back({ItemNotice::kRate, tag, rate, "", "", LockHeld()});
  noticeArrived.notify_all();
}

void RecordRemoved(DWORD tag, char* accessPath, char* tagName) {
  std::lock_guard<std::mutex> guard(noticesLock);
  notices.push_back({ItemNotice::kRemoved, tag, 0, accessPath, tagName, LockHeld()});
  noticeArrived.notify_all();
}

}  // namespace

ItemNoticeLog::ItemNoticeLog() {
  Take();
  EnableRateNotification(RecordRate);
  EnableItemRemovalNotification(RecordRemoved);
}

ItemNoticeLog::~ItemNoticeLog() {
  EnableRateNotification(nullptr);
  EnableItemRemovalNotification(nullptr);
}

std::vector<ItemNotice> ItemNoticeLog::Notices() const {
  std::lock_guard<std::mutex> guard(noticesLock);
  return notices;
}

std::vector<ItemNotice> ItemNoticeLog::Take() {
  std::lock_guard<std::mutex> guard(noticesLock);
  std::vector<ItemNotice> taken;
  taken.swap(notices);
  return taken;
}

std::vector<ItemNotice> ItemNoticeLog::TakeOnceThere(size_t count) {
  std::unique_lock<std::mutex> guard(noticesLock);
  noticeArrived.wait_for(guard, std::chrono::seconds(10), [count] { return notices.size() >= count; });
  std::vector<ItemNotice> taken;
  taken.swap(notices);
  return taken;
}

bool operator==(const ItemNotice& a, const ItemNotice& b) {
  return a.kind == b.kind && a.tag == b.tag && a.rate == b.rate && a.accessPath == b.accessPath &&
         a.tagName == b.tagName && a.lockHeld == b.lockHeld;
}

ItemNotice RateNotice(DWORD tag, DWORD rate) { return {ItemNotice::kRate, tag, rate, "", "", false}; }

ItemNotice RemovedNotice(DWORD tag, const std::string& tagName) {
  return {ItemNotice::kRemoved, tag, 0, "", tagName, false};
}

void PrintTo(const ItemNotice& notice, std::ostream* out) {
  *out << (notice.kind == ItemNotice::kRate ? "rate(" : "removed(") << notice.tag << ", "
       << (notice.kind == ItemNotice::kRate ? std::to_string(notice.rate) : "\"" + notice.accessPath + "\", \"" + notice.tagName + "\"")
       << (notice.lockHeld ? ", lock held)" : ")");
}
