// One client item of a group: the client's view of a tag (its handles,
// requested type, active state) and the item's own copy of the tag's value,
// quality and timestamp, from which every read and delivery of the item is
// made. A record without a lock of its own: the group's owner holds the server
// lock while it reads or changes one, except for private copies (enumerator
// snapshots). Records come from a pool, side by side in the order they were
// made, so that a group's items lie together for updates and deliveries.
#pragma once

#include "app/RecordPool.h"

#include "platform/IEnumOPCItemAttributes.h"
#include "platform/opcda.h"
#include "platform/variant.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class OPCGroup;
class TagClientItems;

class OPCGroupItem final : public PooledRecord<OPCGroupItem> {
 public:
  OPCGroupItem();
  ~OPCGroupItem();
  OPCGroupItem(const OPCGroupItem&) = delete;
  OPCGroupItem& operator=(const OPCGroupItem&) = delete;

  // Gives the item a server handle of its own from the one table of server
  // handles, so that no other item, group or event subscription carries it
  // while the item lives (the group does this when it takes the item in).
  void AssignServerHandle();

  // Copies everything but the user name, the changed flag and the group's
  // bookkeeping, which keep the values of a fresh record; the server handle is
  // copied as a value, not taken over. FALSE when a value cannot be copied (the record is then
  // partly filled).
  BOOL CopyFrom(const OPCGroupItem& other);
  // CopyFrom copies of every item of the list, in order.
  static std::vector<std::unique_ptr<OPCGroupItem>> CopyAll(const std::vector<std::unique_ptr<OPCGroupItem>>& items);

  // The cached value, converted to the requested type, with its quality and
  // timestamp; each output may be NULL, `value` is VariantInit'ed by the
  // caller. OPC_E_BADRIGHTS (nothing written) without the read right; the
  // conversion's error, with quality bad and the value empty, when the value
  // does not convert.
  HRESULT ReadCached(VARIANT* value, WORD* qualityOut, FILETIME* timestampOut) const;
  // VariantCopy for the values items keep and hand out: most are plain
  // numbers, copied as their 16 bytes without a call, for each of the many
  // items an update or a delivery reaches.
  static HRESULT CopyValue(VARIANT& to, const VARIANT& from) {
    if (!VariantIsPlain(to.vt) || !VariantIsPlain(from.vt)) return VariantCopy(&to, &from);
    to = from;
    return S_OK;
  }
  // Converts a value read for a client in place to the requested type
  // (VT_EMPTY: none), as ReadCached does; on failure the value is emptied,
  // the quality set bad and the conversion's error returned.
  static HRESULT ConvertToRequested(VARIANT* value, VARTYPE requested, WORD* qualityOut);

  // A client writes `value`: it is checked against the write right and, when
  // the host asked for conversion, converted in place to the canonical type
  // (an array must keep the shape of the cached one). On success it becomes
  // the cached value and the item counts as changed; on failure the item is
  // unchanged. Callers pass their own copy of the client's value; a reference
  // (VT_BYREF) in it is replaced by the value it refers to, which the caller
  // then owns and clears.
  HRESULT CheckWrite(VARIANT* value);

  // Fills one enumerator element; the two strings come from the task
  // allocator or, with `useTask` FALSE, the library heap. FALSE, nothing left
  // allocated, when a string cannot be had.
  BOOL FillAttributes(OPCITEMATTRIBUTES* element, BOOL useTask) const;

  // The bytes the value takes in a Data Access 1.0 data stream: 16, plus the
  // length prefix, text and terminator of a string, in the requested type.
  size_t ValueStreamSize() const;

  // The names. The full tag name lives once, in the list of the client items
  // naming it, while the item is in that list; the item ID and access path
  // are kept beside it only when they are not simply the full name. A record
  // in no list (a copy for a snapshot or a clone, or one not yet attached)
  // keeps all three itself, except one being attached by its full name alone,
  // whose list brings the name. An item that has left its list, on its way
  // out, has no full name.
  const std::string& FullName() const;
  const std::string& ItemId() const;
  const std::string& AccessPath() const;
  // Sets the item ID and access path and resolves the full tag name from them.
  void SetNames(std::string itemId, std::string accessPath);
  // The item enters the list of its full name (which now keeps that name), or
  // leaves it.
  void EnterList(TagClientItems& list);
  void LeaveList() { tagItems = nullptr; }

  // The account the item's client writes under; texts of a small set, kept
  // once for all items (InternedTexts).
  const std::string& UserName() const { return *userName_; }
  void SetUserName(std::string_view name);
  // For a text that is interned already.
  void SetInternedUserName(const std::string& name) { userName_ = &name; }

  // Fields ordered so that the record packs into 96 bytes, what an update
  // reads and writes first, in the record's first 64 bytes: the group (set
  // while one holds the item), the value, the value of the last update that
  // counted as a change (the deadband's base), time stamp, quality and the
  // changed flag.
  OPCGroup* group = nullptr;
  VARIANT value;
  VARIANT referenceValue;
  FILETIME timestamp = {0, 0};
  WORD quality = 0;
  VARTYPE canonicalType = VT_EMPTY;
  // VT_EMPTY: the canonical type.
  VARTYPE requestedType = VT_EMPTY;
  // Set by every update that counts and by accepted writes; cleared by delivery.
  bool changed = true;
  // OPC_READABLE and OPC_WRITEABLE.
  uint8_t accessRights = 0;
  OPCHANDLE serverHandle = 0;
  OPCHANDLE clientHandle = 0;
  // As the client gave it.
  BOOL active = FALSE;
  // The group's rate when the item was added; later rate changes leave it.
  DWORD updateRate = 0;
  // The list of the client items naming the same tag, in which the item has
  // its place while a group holds it.
  TagClientItems* tagItems = nullptr;

 private:
  // The names a record keeps beside its list's (see FullName).
  struct Names {
    std::string itemId;
    std::string accessPath;
    // Empty while the item is in its list.
    std::string fullName;
  };

  std::unique_ptr<Names> names_;
  const std::string* userName_;

  // Takes the server handle out of the table when it was issued to this record.
  void WithdrawServerHandle();
};
