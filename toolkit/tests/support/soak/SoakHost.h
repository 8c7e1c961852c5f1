// The host side of a soak run: a thread that creates, updates (one by one, by
// name and in batches) and removes tags drawn from a fixed set of names and
// now and then asks every client to disconnect, and the host callbacks a real
// host installs: writes (a few refused, the others confirmed with an update),
// device reads, unknown items (creating the tag a client names), item
// removals, rate changes and disconnects. Clients name tags from the same
// set, plus a few names no tag ever has.
#pragma once

#include "support/soak/SoakTally.h"

#include "platform/variant.h"
#include "platform/wintypes.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

class SoakHost {
 public:
  // What a tag holds now, as text, for comparing with what a client received.
  struct TagState {
    std::string value;
    WORD quality;
  };

  SoakHost(SoakTally& tally, unsigned seed);
  // Stops, switches the callbacks off and removes every tag.
  ~SoakHost();
  SoakHost(const SoakHost&) = delete;
  SoakHost& operator=(const SoakHost&) = delete;

  // Every name a client may ask for.
  static const std::vector<std::string>& ItemNames();

  // Installs the callbacks, creates half the tags and starts the thread.
  void Start();
  // Stops changing tags; returns once the thread has ended.
  void Stop();
  // Removes a few tags and makes them again, as the last changes before the
  // check: the clients' items must end with the values of the new tags.
  void RemakeSome();

  // The tag of that name now, its value converted to `requested` (VT_EMPTY:
  // as it is); nothing when no tag has the name.
  std::optional<TagState> StateOf(const std::string& name, VARTYPE requested) const;

 private:
  void Work();
  void CreateOne(const std::string& name);
  void RemoveOne();
  void UpdateOne();
  void UpdateByName();
  void UpdateBatch();
  std::optional<DWORD> AnyLiveTag();
  VARIANT NextValue();

  static void OnUnknownItem(char* accessPath, char* itemId);

  SoakTally& tally_;
  std::mt19937 random_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  // Counts the values handed out; the host thread and the unknown-item callback both take them.
  std::atomic<uint64_t> values_{0};
  mutable std::mutex mutex_;
  // The live tags by name; creations and removals change it and the tag
  // database in one step under mutex_.
  std::map<std::string, DWORD> tags_;
};
