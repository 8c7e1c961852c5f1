// Item-name splitting and resolution: tags made from any names, with any
// delimiter, are each found by ValidateItem under their full name and under
// every split of it into access path and item ID, whether the hash index is
// off or on (of a size small enough to fill up); the two runs agree on every
// creation and lookup; once every tag is removed nothing is found and no
// branch is left behind.
#include "FuzzCheck.h"

#include "app/CVorlixApp.h"
#include "tags/ItemName.h"

#include "platform/opcerror.h"
#include "platform/widetext.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

namespace {

constexpr size_t kMaxNames = 12;
const char kDelimiters[] = {'.', '/', '\\', ':', '|', '_'};
const VARTYPE kRequestedTypes[] = {VT_EMPTY, VT_I4, VT_BSTR, VT_R8, VT_BOOL, VT_UNKNOWN, VT_VARIANT, 0x7FFF};

struct Lookup {
  HRESULT result;
  OPCTag* tag;
};

Lookup Validate(const std::string& accessPath, const std::string& itemId, VARTYPE requested) {
  WideString widePath = WidenAnsi(accessPath);
  WideString wideId = WidenAnsi(itemId);
  OPCITEMDEF item{&widePath[0], &wideId[0], TRUE, 1, 0, nullptr, requested, 0};
  OPCITEMRESULT result{};
  OPCTag* tag = nullptr;
  DWORD rights = 0;
  const HRESULT hr = VorlixApp().ValidateItem(item, &result, &tag, &rights);
  return {hr, tag};
}

// The components joined back give the name, less one trailing delimiter.
void CheckSplit(const std::string& name, char delimiter) {
  const std::vector<std::string> components = SplitItemName(name, delimiter);
  std::string joined;
  for (size_t i = 0; i < components.size(); ++i) joined += (i == 0 ? "" : std::string(1, delimiter)) + components[i];
  FUZZ_CHECK(joined == name || joined + delimiter == name);
}

// What one run saw, for comparing the runs with and without the index.
struct Outcome {
  std::vector<bool> created;
  std::vector<HRESULT> lookups;
  bool operator==(const Outcome& other) const { return created == other.created && lookups == other.lookups; }
};

Outcome Run(const std::vector<std::string>& names, VARTYPE requested, UINT hashing, bool removeForward) {
  CVorlixApp& app = VorlixApp();
  app.SetHashing(hashing);
  Outcome outcome;
  std::vector<DWORD> handles;
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  for (const std::string& name : names) {
    const DWORD handle = app.CreateTag(name.c_str(), &value, OPC_QUALITY_GOOD, 0, 0);
    outcome.created.push_back(handle != VORLIX_INVALID_TAG);
    if (handle != VORLIX_INVALID_TAG) handles.push_back(handle);
  }

  // Made from names a client can send, every branch is named so too (or
  // empty, between two delimiters).
  {
    ServerLock::Hold hold(app.GetServerLock());
    std::vector<const OPCTag*> pending{&app.RootTag()};
    while (!pending.empty()) {
      const OPCTag* node = pending.back();
      pending.pop_back();
      if (node != &app.RootTag()) FUZZ_CHECK(node->name.empty() || ClientCanNameItem(node->name));
      for (const auto& child : node->children) pending.push_back(child.get());
    }
  }

  const char delimiter = app.Delimiter();
  for (const std::string& name : names) {
    CheckSplit(name, delimiter);
    const Lookup whole = Validate(std::string(), name, requested);
    outcome.lookups.push_back(whole.result);
    FUZZ_CHECK(whole.result == S_OK || whole.result == OPC_E_BADTYPE || whole.result == OPC_E_UNKNOWNITEMID ||
               whole.result == OPC_E_INVALIDITEMID);
    if (FAILED(whole.result) && whole.result != OPC_E_BADTYPE) continue;
    {
      ServerLock::Hold hold(app.GetServerLock());
      FUZZ_CHECK(whole.tag != nullptr && whole.tag->name == name && app.TagFromHandle(whole.tag->live->handle) == whole.tag);
    }
    // Every split at a delimiter names the same tag: the path with the
    // delimiter, or without it when the item ID supplies the join. A
    // delimiter byte that is the second byte of a double-byte character
    // separates nothing.
    for (size_t at = name.find(delimiter); at != std::string::npos; at = name.find(delimiter, at + 1)) {
      if (LastDelimiter(name.substr(0, at + 1), delimiter) != at) continue;
      const std::string rest = name.substr(at + 1);
      if (!ClientCanNameItem(rest) || !ClientCanNameItem(name.substr(0, at + 1))) continue;
      const Lookup withDelimiter = Validate(name.substr(0, at + 1), rest, requested);
      FUZZ_CHECK(withDelimiter.result == whole.result && withDelimiter.tag == whole.tag);
      if (at == 0 || name[at - 1] == delimiter || !ClientCanNameItem(name.substr(0, at))) continue;
      const Lookup joined = Validate(name.substr(0, at), rest, requested);
      FUZZ_CHECK(joined.result == whole.result && joined.tag == whole.tag);
    }
  }

  if (removeForward) {
    for (const DWORD handle : handles) app.RemoveTag(handle);
  } else {
    for (auto handle = handles.rbegin(); handle != handles.rend(); ++handle) app.RemoveTag(*handle);
  }
  for (const DWORD handle : handles) FUZZ_CHECK(!app.RemoveTag(handle));
  for (const std::string& name : names) FUZZ_CHECK(FAILED(Validate(std::string(), name, requested).result));
  {
    ServerLock::Hold hold(app.GetServerLock());
    FUZZ_CHECK(app.RootTag().children.empty());
  }
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const char delimiter = input.PickValueInArray(kDelimiters);
  const VARTYPE requested = input.PickValueInArray(kRequestedTypes);
  const UINT hashing = input.ConsumeIntegralInRange<UINT>(6, 40);
  const bool removeForward = input.ConsumeBool();
  std::vector<std::string> names;
  while (names.size() < kMaxNames && input.remaining_bytes() > 0) {
    std::string name = input.ConsumeRandomLengthString(64);
    names.push_back(name.substr(0, name.find('\0')));
  }

  VorlixApp().SetDelimiter(delimiter);
  const Outcome plain = Run(names, requested, 0, removeForward);
  const Outcome indexed = Run(names, requested, hashing, removeForward);
  FUZZ_CHECK(plain == indexed);
  return 0;
}
