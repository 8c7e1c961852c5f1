#include "support/soak/SoakHost.h"

#include "Vorlix.h"
#include "support/TestDataCallback.h"

#include "platform/opcda.h"

#include <algorithm>
#include <chrono>
#include <iterator>

namespace {

constexpr int kLines = 4;
constexpr int kTagsPerLine = 8;
constexpr int kNamesNoTagHas = 2;
// Values wrap here, so that every value is a whole number any numeric type holds exactly.
constexpr uint64_t kValueWrap = 1000000;
// Tags removed and made again as the host's last changes.
constexpr int kRemadeAtTheEnd = 3;
// How often the host asks every client to disconnect.
constexpr std::chrono::milliseconds kDisconnectRequestEvery{250};
// One client write in this many is refused by the host.
constexpr unsigned kRefusedWriteEvery = 16;

std::atomic<SoakHost*> activeHost{nullptr};

// As a host does: refuses a few writes and confirms the others with an update,
// which every client item naming the tag receives.
void OnWrite(DWORD tag, VARIANT* value, DWORD* result, char*) {
  static std::atomic<unsigned> writes{0};
  if (++writes % kRefusedWriteEvery == 0) {
    *result = static_cast<DWORD>(OPC_E_BADRIGHTS);
    return;
  }
  UpdateTag(tag, *value, OPC_QUALITY_GOOD);
}

void OnDeviceRead(DWORD tag, VARIANT* value, WORD* quality, FILETIME* timestamp) {
  ReadTagWithTimeStamp(tag, value, quality, timestamp);
}

void OnItemRemoved(DWORD, char*, char*) {}
void OnRateChange(DWORD, DWORD) {}
void OnDisconnect(DWORD) {}

}  // namespace

SoakHost::SoakHost(SoakTally& tally, unsigned seed) : tally_(tally), random_(seed) {}

SoakHost::~SoakHost() {
  Stop();
  EnableWriteNotification2(nullptr, FALSE);
  EnableDeviceRead(nullptr);
  EnableUnknownItemNotification(nullptr);
  EnableItemRemovalNotification(nullptr);
  EnableRateNotification(nullptr);
  EnableDisconnectNotification(nullptr);
  activeHost = nullptr;
  std::lock_guard<std::mutex> guard(mutex_);
  for (const auto& [name, tag] : tags_) RemoveTag(tag);
  tags_.clear();
}

const std::vector<std::string>& SoakHost::ItemNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (int line = 0; line < kLines; ++line) {
      for (int tag = 0; tag < kTagsPerLine; ++tag) {
        all.push_back("Soak.Line" + std::to_string(line) + ".Tag" + std::to_string(tag));
      }
    }
    for (int missing = 0; missing < kNamesNoTagHas; ++missing) {
      all.push_back("Soak.Nowhere.Tag" + std::to_string(missing));
    }
    return all;
  }();
  return names;
}

void SoakHost::Start() {
  activeHost = this;
  EnableWriteNotification2(OnWrite, TRUE);
  EnableDeviceRead(OnDeviceRead);
  EnableUnknownItemNotification(OnUnknownItem);
  EnableItemRemovalNotification(OnItemRemoved);
  EnableRateNotification(OnRateChange);
  EnableDisconnectNotification(OnDisconnect);
  for (int i = 0; i < kLines * kTagsPerLine; i += 2) CreateOne(ItemNames()[i]);
  thread_ = std::thread([this] { Work(); });
}

void SoakHost::Stop() {
  stopping_ = true;
  if (!thread_.joinable()) return;
  thread_.join();
}

void SoakHost::RemakeSome() {
  for (int i = 0; i < kRemadeAtTheEnd; ++i) {
    std::string name;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      if (tags_.empty()) break;
      auto victim = tags_.begin();
      std::advance(victim, random_() % tags_.size());
      name = victim->first;
      ++tally_.hostCalls;
      RemoveTag(victim->second);
      tags_.erase(victim);
    }
    CreateOne(name);
  }
}

std::optional<SoakHost::TagState> SoakHost::StateOf(const std::string& name, VARTYPE requested) const {
  std::lock_guard<std::mutex> guard(mutex_);
  const auto found = tags_.find(name);
  if (found == tags_.end()) return std::nullopt;
  VARIANT value;
  VariantInit(&value);
  WORD quality = 0;
  FILETIME timestamp;
  if (!ReadTagWithTimeStamp(found->second, &value, &quality, &timestamp)) return std::nullopt;
  if (requested != VT_EMPTY) VariantChangeType(&value, &value, 0, requested);
  TagState state{ValueText(value), quality};
  VariantClear(&value);
  return state;
}

void SoakHost::Work() {
  std::uniform_int_distribution<int> percent(0, 99);
  auto lastDisconnectRequest = std::chrono::steady_clock::now();
  while (!stopping_) {
    const int pick = percent(random_);
    if (pick < 83) {
      UpdateOne();
    } else if (pick < 88) {
      UpdateByName();
    } else if (pick < 93) {
      UpdateBatch();
    } else if (pick < 98) {
      CreateOne(ItemNames()[random_() % (kLines * kTagsPerLine)]);
    } else {
      RemoveOne();
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDisconnectRequest >= kDisconnectRequestEvery) {
      lastDisconnectRequest = now;
      ++tally_.hostCalls;
      RequestDisconnect();
    }
    // Leaves the clients room: a host feeds values at a pace, not in a spin.
    std::this_thread::yield();
  }
}

void SoakHost::CreateOne(const std::string& name) {
  VARIANT value = NextValue();
  std::lock_guard<std::mutex> guard(mutex_);
  if (tags_.count(name) != 0) return;
  const DWORD tag = CreateTag(const_cast<char*>(name.c_str()), value, OPC_QUALITY_GOOD, TRUE);
  ++tally_.hostCalls;
  if (tag == VORLIX_INVALID_TAG) {
    tally_.Problem("the host could not create " + name);
    return;
  }
  tags_[name] = tag;
}

void SoakHost::RemoveOne() {
  std::lock_guard<std::mutex> guard(mutex_);
  if (tags_.empty()) return;
  auto victim = tags_.begin();
  std::advance(victim, random_() % tags_.size());
  ++tally_.hostCalls;
  if (!RemoveTag(victim->second)) tally_.Problem("the host could not remove " + victim->first);
  tags_.erase(victim);
}

void SoakHost::UpdateOne() {
  const std::optional<DWORD> tag = AnyLiveTag();
  if (!tag) return;
  ++tally_.hostCalls;
  // Only this thread removes tags, so the handle is still good.
  if (!UpdateTag(*tag, NextValue(), OPC_QUALITY_GOOD)) tally_.Problem("an update of a live tag failed");
}

void SoakHost::UpdateByName() {
  const std::string& name = ItemNames()[random_() % (kLines * kTagsPerLine)];
  bool live = false;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    live = tags_.count(name) != 0;
  }
  ++tally_.hostCalls;
  const BOOL updated = UpdateTagByName(const_cast<char*>(name.c_str()), NextValue(), OPC_QUALITY_GOOD);
  if (live && !updated) tally_.Problem("an update by name of live " + name + " failed");
}

void SoakHost::UpdateBatch() {
  // Picked before the batch: a batch holds the library's lock, and the
  // unknown-item callback takes mutex_ before it calls into the library.
  std::vector<DWORD> picked;
  for (int i = 0; i < 3; ++i) {
    if (const std::optional<DWORD> tag = AnyLiveTag()) picked.push_back(*tag);
  }
  ++tally_.hostCalls;
  if (!StartUpdateTags()) {
    tally_.Problem("a batch could not start");
    return;
  }
  for (DWORD tag : picked) {
    ++tally_.hostCalls;
    UpdateTagToList(tag, NextValue(), OPC_QUALITY_GOOD);
  }
  ++tally_.hostCalls;
  if (!EndUpdateTags()) tally_.Problem("a batch could not end");
}

std::optional<DWORD> SoakHost::AnyLiveTag() {
  std::lock_guard<std::mutex> guard(mutex_);
  if (tags_.empty()) return std::nullopt;
  auto tag = tags_.begin();
  std::advance(tag, random_() % tags_.size());
  return tag->second;
}

VARIANT SoakHost::NextValue() {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_R8;
  value.dblVal = static_cast<double>(values_++ % kValueWrap + 1);
  return value;
}

void SoakHost::OnUnknownItem(char* accessPath, char* itemId) {
  SoakHost* host = activeHost;
  if (host == nullptr || accessPath[0] != '\0') return;
  const std::vector<std::string>& names = ItemNames();
  const auto named = std::find(names.begin(), names.begin() + kLines * kTagsPerLine, std::string(itemId));
  if (named != names.begin() + kLines * kTagsPerLine) host->CreateOne(*named);
}
