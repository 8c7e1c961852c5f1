#include "ae/COPCEvent.h"

#include "app/DereferencedCopy.h"
#include "app/CVorlixApp.h"

#include "platform/widetext.h"
#include "platform/wintime.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace {

constexpr DWORD kSimpleEventCategory = 1;
// Room beyond the structure, the texts and the values: it takes the padding
// that aligns the values behind the 2-byte texts.
constexpr size_t kSpareBytes = 16;
static_assert(alignof(VARIANT) - alignof(WCHAR) <= kSpareBytes, "the spare room covers the values' padding");

DWORD NextCookie() {
  static std::atomic<DWORD> counter{0};
  DWORD cookie;
  do {
    cookie = counter.fetch_add(1) + 1;
  } while (cookie == 0 || cookie == 0xFFFFFFFF);
  return cookie;
}

size_t AlignUp(size_t offset, size_t alignment) { return (offset + alignment - 1) / alignment * alignment; }

// Writes the text with its terminator at the cursor and moves past it.
LPWSTR PutText(WCHAR*& cursor, const WideString& wide) {
  LPWSTR start = cursor;
  cursor = std::copy(wide.begin(), wide.end(), cursor);
  *cursor++ = 0;
  return start;
}

}  // namespace

COPCEvent::COPCEvent() : time(NowUtc()), cookie(NextCookie()) {}

COPCEvent::~COPCEvent() { ClearAttributes(); }

std::unique_ptr<COPCEvent> COPCEvent::MakeSimpleEvent(const char* source, const char* message, DWORD severity) {
  auto event = std::make_unique<COPCEvent>();
  event->source = source != nullptr ? source : "";
  event->message = message != nullptr ? message : "";
  event->severity = severity;
  event->eventType = OPC_SIMPLE_EVENT;
  event->category = kSimpleEventCategory;
  return event;
}

std::unique_ptr<COPCEvent> COPCEvent::FromEventStruct(const ONEVENTSTRUCT& given) {
  // A text the ANSI code page cannot hold gives no record rather than a changed text.
  std::optional<std::string> source = NarrowAnsi(given.szSource);
  std::optional<std::string> message = NarrowAnsi(given.szMessage);
  std::optional<std::string> conditionName = NarrowAnsi(given.szConditionName);
  std::optional<std::string> subconditionName = NarrowAnsi(given.szSubconditionName);
  std::optional<std::string> actorId = NarrowAnsi(given.szActorID);
  if (!source || !message || !conditionName || !subconditionName || !actorId) return nullptr;
  auto event = std::make_unique<COPCEvent>();
  if (FAILED(event->SetAttributes(given.pEventAttributes, given.dwNumEventAttrs))) return nullptr;
  event->changeMask = given.wChangeMask;
  event->newState = given.wNewState;
  event->source = std::move(*source);
  event->time = given.ftTime;
  event->message = std::move(*message);
  event->eventType = given.dwEventType;
  event->category = given.dwEventCategory;
  event->severity = given.dwSeverity;
  event->conditionName = std::move(*conditionName);
  event->subconditionName = std::move(*subconditionName);
  event->quality = given.wQuality;
  event->ackRequired = given.bAckRequired;
  event->activeTime = given.ftActiveTime;
  event->cookie = given.dwCookie;
  event->actorId = std::move(*actorId);
  return event;
}

HRESULT COPCEvent::SetAttributes(const VARIANT* values, DWORD count) {
  ClearAttributes();
  if (count == 0) return S_OK;
  if (values == nullptr) return E_INVALIDARG;
  attributes_.reserve(count);
  for (DWORD i = 0; i < count; ++i) {
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT hr = DereferencedCopy(&copy, &values[i]);
    if (FAILED(hr)) {
      ClearAttributes();
      return hr;
    }
    attributes_.push_back(copy);
  }
  return S_OK;
}

void COPCEvent::ClearAttributes() {
  for (VARIANT& value : attributes_) VariantClear(&value);
  attributes_.clear();
}

ONEVENTSTRUCT* COPCEvent::Pack() const {
  // Sized from the wide texts: a character may take more bytes than units.
  const WideString texts[] = {WidenAnsi(source), WidenAnsi(message), WidenAnsi(conditionName),
                              WidenAnsi(subconditionName), WidenAnsi(actorId)};
  size_t textUnits = 0;
  for (const WideString& text : texts) textUnits += text.size() + 1;
  const size_t textsEnd = sizeof(ONEVENTSTRUCT) + textUnits * sizeof(WCHAR);
  const size_t valuesOffset = AlignUp(textsEnd, alignof(VARIANT));
  const size_t blockSize = textsEnd + kSpareBytes + attributes_.size() * sizeof(VARIANT);

  const CVorlixApp& app = VorlixApp();
  auto* block = static_cast<BYTE*>(app.TaskAlloc(blockSize));
  if (block == nullptr) return nullptr;
  auto* packed = new (block) ONEVENTSTRUCT{};
  auto* values = reinterpret_cast<VARIANT*>(block + valuesOffset);
  for (size_t i = 0; i < attributes_.size(); ++i) {
    VariantInit(&values[i]);
    if (FAILED(VariantCopy(&values[i], &attributes_[i]))) {
      packed->dwNumEventAttrs = static_cast<DWORD>(i);
      packed->pEventAttributes = values;
      FreePacked(packed);
      return nullptr;
    }
  }

  auto* cursor = reinterpret_cast<WCHAR*>(block + sizeof(ONEVENTSTRUCT));
  packed->wChangeMask = changeMask;
  packed->wNewState = newState;
  packed->szSource = PutText(cursor, texts[0]);
  packed->ftTime = time;
  packed->szMessage = PutText(cursor, texts[1]);
  packed->dwEventType = eventType;
  packed->dwEventCategory = category;
  packed->dwSeverity = severity;
  packed->szConditionName = PutText(cursor, texts[2]);
  packed->szSubconditionName = PutText(cursor, texts[3]);
  packed->wQuality = quality;
  packed->bAckRequired = ackRequired;
  packed->ftActiveTime = activeTime;
  packed->dwCookie = cookie;
  packed->dwNumEventAttrs = static_cast<DWORD>(attributes_.size());
  packed->pEventAttributes = attributes_.empty() ? nullptr : values;
  packed->szActorID = PutText(cursor, texts[4]);
  return packed;
}

void COPCEvent::FreePacked(ONEVENTSTRUCT* block) {
  if (block == nullptr) return;
  for (DWORD i = 0; i < block->dwNumEventAttrs; ++i) VariantClear(&block->pEventAttributes[i]);
  VorlixApp().TaskFree(block, TRUE);
}
