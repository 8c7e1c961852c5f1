// The item arrays of one OnDataChange or OnReadComplete call: client handles,
// values, qualities, time stamps and errors, each a naturally aligned array of
// its own from the task allocator. They are filled under the server lock from
// the group's items and handed to the client's sink with the lock released;
// the values are cleared and the arrays freed when the object goes.
#pragma once

#include "app/TaskArray.h"

#include "platform/opcda.h"
#include "platform/variant.h"

#include <vector>

class OPCGroupItem;

class ItemValueArrays {
 public:
  ItemValueArrays() = default;
  ~ItemValueArrays();
  ItemValueArrays(const ItemValueArrays&) = delete;
  ItemValueArrays& operator=(const ItemValueArrays&) = delete;

  // Takes the arrays and fills them from the items, in order, through each
  // item's cached read: an item that fails it carries an empty value and its
  // error. FALSE, nothing kept, when there is no memory. The caller holds the
  // server lock.
  bool Fill(const std::vector<OPCGroupItem*>& items);

  DWORD Count() const { return count_; }
  // S_FALSE when any quality is not good, else S_OK.
  HRESULT MasterQuality() const { return masterQuality_; }
  // S_FALSE when any item's read failed, else S_OK.
  HRESULT MasterError() const { return masterError_; }
  OPCHANDLE* ClientHandles() const { return clientHandles_.Get(); }
  VARIANT* Values() const { return values_.Get(); }
  WORD* Qualities() const { return qualities_.Get(); }
  FILETIME* TimeStamps() const { return timeStamps_.Get(); }
  HRESULT* Errors() const { return errors_.Get(); }

 private:
  void Free();

  DWORD count_ = 0;
  HRESULT masterQuality_ = S_OK;
  HRESULT masterError_ = S_OK;
  TaskArray<OPCHANDLE> clientHandles_;
  TaskArray<VARIANT> values_;
  TaskArray<WORD> qualities_;
  TaskArray<FILETIME> timeStamps_;
  TaskArray<HRESULT> errors_;
};
