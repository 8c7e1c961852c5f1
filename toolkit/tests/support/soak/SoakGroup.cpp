#include "support/soak/SoakGroup.h"

#include "support/Eventually.h"
#include "support/HostCalls.h"
#include "support/SyncIOCalls.h"

#include "platform/IEnumOPCItemAttributes.h"
#include "platform/clipboard.h"
#include "platform/opcda.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/widetext.h"

#include <algorithm>

namespace {

constexpr size_t kMostItems = 12;
const VARTYPE kRequestedTypes[] = {VT_EMPTY, VT_EMPTY, VT_EMPTY, VT_BSTR, VT_I4, VT_R8};
// The refresh of the final check carries this transaction id, which no other call uses.
constexpr DWORD kFinalRefresh = 0xF1A1;

FORMATETC StreamFormat(const char* name) {
  return FORMATETC{static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name)), nullptr, DVASPECT_CONTENT, -1,
                   TYMED_HGLOBAL};
}

std::string HexOf(HRESULT hr) {
  char text[16];
  snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

}  // namespace

SoakGroup::SoakGroup(IOPCServer* server, SoakTally& tally, std::mt19937& random)
    : tally_(tally), random_(random), callback_(std::make_unique<TestDataCallback>()),
      dataSink_(std::make_unique<RecordingAdviseSink>()), writeSink_(std::make_unique<RecordingAdviseSink>()) {
  OpcTestGroup::Options options;
  options.rate = 10 + random_() % 90;
  options.active = random_() % 4 != 0;
  group_ = std::make_unique<OpcTestGroup>(server, nullptr, options);
  ++tally_.clientCalls;
  if (!Added()) {
    Note(group_->Added(), "AddGroup");
    return;
  }
  IUnknown* unknown = group_->Unknown();
  unknown->QueryInterface(IID_IOPCSyncIO, reinterpret_cast<void**>(&sync_));
  unknown->QueryInterface(IID_IOPCAsyncIO2, reinterpret_cast<void**>(&async2_));
  unknown->QueryInterface(IID_IOPCAsyncIO, reinterpret_cast<void**>(&async1_));
  unknown->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&data_));
  tally_.clientCalls += 4;
  if (sync_ == nullptr || async2_ == nullptr || async1_ == nullptr || data_ == nullptr) {
    tally_.Problem("a new group does not offer every I/O interface");
  }
  AddItems();
  if (random_() % 2 == 0) Advise();
  if (random_() % 3 == 0) ToggleStreams();
}

SoakGroup::~SoakGroup() {
  Release();
  if (!SinksReleased()) {
    // Still referenced by the library: never freed, so that no late call reaches freed memory.
    callback_.release();
    dataSink_.release();
    writeSink_.release();
  }
}

void SoakGroup::RandomStep() {
  if (!Added()) return;
  switch (random_() % 19) {
    case 0: AddItems(); break;
    case 1: RemoveItems(); break;
    case 2: SetActiveState(); break;
    case 3: SetState(); break;
    case 4: ToggleCallback(); break;
    case 5: ToggleStreams(); break;
    case 6: case 7: ReadSync(); break;
    case 8: WriteSync(); break;
    case 9: AsyncRead2(); break;
    case 10: AsyncWrite2(); break;
    case 11: Refresh2(); break;
    case 12: AsyncRead1(); break;
    case 13: AsyncWrite1(); break;
    case 14: Refresh1(); break;
    case 15: EnumerateItems(); break;
    case 16: CloneAndDrop(); break;
    case 17: SetDatatypes(); break;
    default:
      ++tally_.clientCalls;
      if (random_() % 2 == 0) {
        async2_->Cancel2(lastCancelId_);
      } else {
        async1_->Cancel(lastTransaction1_);
      }
      break;
  }
  Fold();
}

void SoakGroup::AddItems() {
  const std::vector<std::string>& names = SoakHost::ItemNames();
  std::vector<TestItem> asked;
  const size_t count = 1 + random_() % 4;
  for (size_t i = 0; i < count && items_.size() + asked.size() < kMostItems; ++i) {
    const VARTYPE requested = kRequestedTypes[random_() % std::size(kRequestedTypes)];
    asked.push_back({names[random_() % names.size()], "", nextClientHandle_++, requested, random_() % 5 != 0});
  }
  if (asked.empty()) return;
  const ItemCall added = group_->AddItems(asked);
  ++tally_.clientCalls;
  Note(added.hr, "AddItems");
  for (size_t i = 0; i < added.results.size() && i < added.errors.size(); ++i) {
    if (SUCCEEDED(added.errors[i])) {
      items_.push_back({added.results[i].hServer, asked[i].clientHandle, asked[i].itemId, asked[i].requestedType});
    }
    CoTaskMemFree(added.results[i].pBlob);
  }
}

void SoakGroup::RemoveItems() {
  if (items_.empty()) return;
  const size_t first = random_() % items_.size();
  const size_t count = 1 + random_() % std::min<size_t>(3, items_.size() - first);
  std::vector<OPCHANDLE> handles;
  for (size_t i = first; i < first + count; ++i) handles.push_back(items_[i].server);
  ++tally_.clientCalls;
  Note(group_->RemoveItems(handles).hr, "RemoveItems");
  for (size_t i = first; i < first + count; ++i) lastReceived_.erase(items_[i].client);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(first),
               items_.begin() + static_cast<std::ptrdiff_t>(first + count));
}

void SoakGroup::SetActiveState() {
  std::vector<OPCHANDLE> handles = SomeHandles();
  if (handles.empty()) return;
  HRESULT* errors = nullptr;
  ++tally_.clientCalls;
  Note(group_->Items()->SetActiveState(static_cast<DWORD>(handles.size()), handles.data(), random_() % 3 != 0,
                                       &errors),
       "SetActiveState");
  CoTaskMemFree(errors);
}

void SoakGroup::SetState() {
  DWORD rate = 10 + random_() % 90;
  DWORD revised = 0;
  BOOL active = random_() % 4 != 0;
  ++tally_.clientCalls;
  Note(group_->State()->SetState(&rate, &revised, &active, nullptr, nullptr, nullptr, nullptr), "SetState");
}

void SoakGroup::Advise() {
  point_ = group_->DataCallbackPoint();
  tally_.clientCalls += 3;
  if (point_ != nullptr && point_->Advise(callback_.get(), &cookie_) != S_OK) {
    point_->Release();
    point_ = nullptr;
  }
}

void SoakGroup::EnumerateItems() {
  IUnknown* unknown = nullptr;
  ++tally_.clientCalls;
  if (group_->Items()->CreateEnumerator(IID_IEnumOPCItemAttributes, &unknown) != S_OK) return;
  auto* attributes = static_cast<IEnumOPCItemAttributes*>(unknown);
  OPCITEMATTRIBUTES* batch = nullptr;
  ULONG fetched = 0;
  while (SUCCEEDED(attributes->Next(4, &batch, &fetched)) && fetched > 0) {
    for (ULONG i = 0; i < fetched; ++i) {
      CoTaskMemFree(batch[i].szAccessPath);
      CoTaskMemFree(batch[i].szItemID);
      CoTaskMemFree(batch[i].pBlob);
      VariantClear(&batch[i].vEUInfo);
    }
    CoTaskMemFree(batch);
    batch = nullptr;
  }
  attributes->Release();
}

// A clone the client lets go of at once: the server keeps it until the client goes.
void SoakGroup::CloneAndDrop() {
  IUnknown* clone = nullptr;
  ++tally_.clientCalls;
  if (group_->State()->CloneGroup(nullptr, IID_IUnknown, &clone) == S_OK) clone->Release();
}

void SoakGroup::SetDatatypes() {
  if (items_.empty()) return;
  const size_t index = random_() % items_.size();
  VARTYPE requested = kRequestedTypes[random_() % std::size(kRequestedTypes)];
  HRESULT* errors = nullptr;
  ++tally_.clientCalls;
  const HRESULT hr = group_->Items()->SetDatatypes(1, &items_[index].server, &requested, &errors);
  Note(hr, "SetDatatypes");
  if (hr == S_OK) items_[index].requested = requested;
  CoTaskMemFree(errors);
}

void SoakGroup::ToggleCallback() {
  if (point_ == nullptr) {
    Advise();
    return;
  }
  ++tally_.clientCalls;
  Note(point_->Unadvise(cookie_), "Unadvise");
  point_->Release();
  point_ = nullptr;
}

void SoakGroup::ToggleStreams() {
  if (data_ == nullptr) return;
  tally_.clientCalls += 2;
  if (dataConnection_ == 0) {
    FORMATETC data = StreamFormat(random_() % 2 == 0 ? "OPCSTMFORMATDATA" : "OPCSTMFORMATDATATIME");
    FORMATETC write = StreamFormat("OPCSTMFORMATWRITECOMPLETE");
    if (FAILED(data_->DAdvise(&data, 0, dataSink_.get(), &dataConnection_))) dataConnection_ = 0;
    if (FAILED(data_->DAdvise(&write, 0, writeSink_.get(), &writeConnection_))) writeConnection_ = 0;
  } else {
    Note(data_->DUnadvise(dataConnection_), "DUnadvise");
    if (writeConnection_ != 0) Note(data_->DUnadvise(writeConnection_), "DUnadvise");
    dataConnection_ = 0;
    writeConnection_ = 0;
  }
}

void SoakGroup::ReadSync() {
  const SyncRead read = ReadItems(sync_, random_() % 4 == 0 ? OPC_DS_DEVICE : OPC_DS_CACHE, SomeHandles());
  ++tally_.clientCalls;
  Note(read.hr, "IOPCSyncIO::Read");
}

void SoakGroup::WriteSync() {
  std::vector<OPCHANDLE> handles = SomeHandles();
  std::vector<VARIANT> values = ValuesFor(handles.size());
  ++tally_.clientCalls;
  Note(WriteItems(sync_, handles, values).hr, "IOPCSyncIO::Write");
  for (VARIANT& value : values) VariantClear(&value);
}

void SoakGroup::AsyncRead2() {
  std::vector<OPCHANDLE> handles = SomeHandles();
  HRESULT* errors = nullptr;
  ++tally_.clientCalls;
  Note(async2_->Read(static_cast<DWORD>(handles.size()), handles.data(), nextTransaction_++, &lastCancelId_, &errors),
       "IOPCAsyncIO2::Read");
  CoTaskMemFree(errors);
}

void SoakGroup::AsyncWrite2() {
  std::vector<OPCHANDLE> handles = SomeHandles();
  std::vector<VARIANT> values = ValuesFor(handles.size());
  HRESULT* errors = nullptr;
  ++tally_.clientCalls;
  Note(async2_->Write(static_cast<DWORD>(handles.size()), handles.data(), values.data(), nextTransaction_++,
                      &lastCancelId_, &errors),
       "IOPCAsyncIO2::Write");
  CoTaskMemFree(errors);
  for (VARIANT& value : values) VariantClear(&value);
}

void SoakGroup::Refresh2() {
  ++tally_.clientCalls;
  Note(async2_->Refresh2(random_() % 4 == 0 ? OPC_DS_DEVICE : OPC_DS_CACHE, nextTransaction_++, &lastCancelId_),
       "Refresh2");
}

void SoakGroup::AsyncRead1() {
  std::vector<OPCHANDLE> handles = SomeHandles();
  HRESULT* errors = nullptr;
  ++tally_.clientCalls;
  Note(async1_->Read(dataConnection_, random_() % 4 == 0 ? OPC_DS_DEVICE : OPC_DS_CACHE,
                     static_cast<DWORD>(handles.size()), handles.data(), &lastTransaction1_, &errors),
       "IOPCAsyncIO::Read");
  CoTaskMemFree(errors);
}

void SoakGroup::AsyncWrite1() {
  std::vector<OPCHANDLE> handles = SomeHandles();
  std::vector<VARIANT> values = ValuesFor(handles.size());
  HRESULT* errors = nullptr;
  ++tally_.clientCalls;
  Note(async1_->Write(writeConnection_, static_cast<DWORD>(handles.size()), handles.data(), values.data(),
                      &lastTransaction1_, &errors),
       "IOPCAsyncIO::Write");
  CoTaskMemFree(errors);
  for (VARIANT& value : values) VariantClear(&value);
}

void SoakGroup::Refresh1() {
  ++tally_.clientCalls;
  Note(async1_->Refresh(dataConnection_, random_() % 4 == 0 ? OPC_DS_DEVICE : OPC_DS_CACHE, &lastTransaction1_),
       "IOPCAsyncIO::Refresh");
}

std::vector<OPCHANDLE> SoakGroup::SomeHandles() {
  std::vector<OPCHANDLE> handles;
  for (const Item& item : items_) {
    if (random_() % 3 != 0) handles.push_back(item.server);
  }
  // Now and then a handle no item of this group has.
  if (random_() % 16 == 0) handles.push_back(0x7FFF0000 + random_() % 16);
  return handles;
}

std::vector<VARIANT> SoakGroup::ValuesFor(size_t count) {
  std::vector<VARIANT> values;
  for (size_t i = 0; i < count; ++i) {
    // Whole numbers above the host's, so that a client's write shows in the value.
    const LONG value = 2000000 + static_cast<LONG>(random_() % 1000000);
    switch (random_() % 3) {
      case 0: values.push_back(MakeI4(value)); break;
      case 1: values.push_back(MakeR8(value)); break;
      default: values.push_back(MakeBstr(WidenAnsi(std::to_string(value)).c_str())); break;
    }
  }
  return values;
}

void SoakGroup::Fold() {
  for (TestDataCallback::Call& call : callback_->Take()) {
    if (call.underLock) tally_.Problem("a data callback came with the library's lock held");
    if (call.kind != TestDataCallback::Call::kDataChange && call.kind != TestDataCallback::Call::kReadComplete) {
      continue;
    }
    tally_.valuesDelivered += call.items.size();
    for (TestDataCallback::Item& item : call.items) {
      if (SUCCEEDED(item.error)) lastReceived_[item.clientHandle] = std::move(item);
    }
  }
}

void SoakGroup::Note(HRESULT hr, const char* call) {
  if (hr == E_UNEXPECTED || hr == E_OUTOFMEMORY) tally_.Problem(std::string(call) + " answered " + HexOf(hr));
}

void SoakGroup::CheckFinalValues(const SoakHost& host) {
  if (!Added() || removed_ || items_.empty()) return;
  std::vector<OPCHANDLE> handles;
  for (const Item& item : items_) handles.push_back(item.server);
  BOOL active = TRUE;
  HRESULT* errors = nullptr;
  group_->State()->SetState(nullptr, nullptr, &active, nullptr, nullptr, nullptr, nullptr);
  group_->Items()->SetActiveState(static_cast<DWORD>(handles.size()), handles.data(), TRUE, &errors);
  CoTaskMemFree(errors);
  if (point_ == nullptr) Advise();
  DWORD cancelId = 0;
  HRESULT refreshed = E_FAIL;
  // The queue may still be full of the requests made before the client went quiet.
  Eventually([&] { return (refreshed = async2_->Refresh2(OPC_DS_CACHE, kFinalRefresh, &cancelId)) != E_FAIL; });
  tally_.clientCalls += 4;
  if (refreshed != S_OK) {
    tally_.Problem("the final refresh answered " + HexOf(refreshed));
    return;
  }
  bool arrived = false;
  Eventually([&] {
    for (TestDataCallback::Call& call : callback_->Calls()) {
      arrived = arrived || (call.kind == TestDataCallback::Call::kDataChange && call.transactionId == kFinalRefresh);
    }
    return arrived;
  });
  Fold();
  if (!arrived) {
    tally_.Problem("the final refresh never arrived");
    return;
  }
  const SyncRead read = ReadItems(sync_, OPC_DS_CACHE, handles);
  ++tally_.clientCalls;
  for (size_t i = 0; i < items_.size(); ++i) {
    const Item& item = items_[i];
    const std::optional<SoakHost::TagState> tag = host.StateOf(item.name, item.requested);
    if (!tag) continue;
    ++tally_.valuesCompared;
    const auto received = lastReceived_.find(item.client);
    if (received == lastReceived_.end()) {
      tally_.Problem(item.name + " never reached its client");
    } else if (received->second.value != tag->value || received->second.quality != tag->quality) {
      tally_.Problem(item.name + " last received " + received->second.value + " while the tag holds " + tag->value);
    }
    if (read.hr == S_OK && i < read.states.size()) {
      const std::string readText = ValueText(read.states[i].vDataValue);
      if (readText != tag->value) {
        tally_.Problem(item.name + " reads " + readText + " from the cache while the tag holds " + tag->value);
      }
    }
  }
}

void SoakGroup::Unadvise() {
  if (point_ != nullptr) {
    ++tally_.clientCalls;
    Note(point_->Unadvise(cookie_), "Unadvise");
  }
  if (dataConnection_ != 0) ToggleStreams();
}

void SoakGroup::Release() {
  Fold();
  for (IUnknown** held : {reinterpret_cast<IUnknown**>(&sync_), reinterpret_cast<IUnknown**>(&async2_),
                          reinterpret_cast<IUnknown**>(&async1_), reinterpret_cast<IUnknown**>(&data_),
                          reinterpret_cast<IUnknown**>(&point_)}) {
    if (*held != nullptr) (*held)->Release();
    *held = nullptr;
  }
  group_->Release();
}

bool SoakGroup::SinksReleased() {
  const bool released = Eventually([this] {
    return callback_->References() == 0 && dataSink_->References() == 0 && writeSink_->References() == 0;
  });
  if (!released) tally_.Problem("the library still holds a sink of a released group");
  return released;
}
