// Client writes to items of one group, in two steps. Check, under the server
// lock, runs the item's own check (write right, conversion) on a copy of the
// client's value, which then stands in the item's cache. Perform, without the
// lock, hands each value that passed to the host's write callback
// (CVorlixApp::ClientWrite); a value the host refuses is taken back out of
// the item again, unless an update has reached the item since.
#pragma once

#include "platform/opcda.h"
#include "platform/variant.h"

#include <deque>
#include <string>
#include <vector>

class OPCGroup;
class OPCGroupItem;

class GroupItemWrites {
 public:
  explicit GroupItemWrites(OPCGroup& group) : group_(group) {}
  GroupItemWrites(const GroupItemWrites&) = delete;
  GroupItemWrites& operator=(const GroupItemWrites&) = delete;

  // The caller holds the server lock. Checks the client's value for the item
  // and remembers the write; the check's result.
  HRESULT Check(OPCGroupItem& item, const VARIANT& value);
  // Called without the server lock. Each write whose check passed goes to the
  // host; the result of every write, in the order of the checks (a failed
  // check's own error for those that did not pass).
  std::vector<HRESULT> Perform();

 private:
  // One write between its check and the host's answer.
  struct Pending {
    Pending();
    ~Pending();
    Pending(const Pending&) = delete;
    Pending& operator=(const Pending&) = delete;

    HRESULT checked = S_OK;
    OPCHANDLE serverHandle = 0;
    std::string tagName;
    std::string userName;
    // The client's value, converted as the check converts it.
    VARIANT value;
    // What the item held before the check stored the value.
    VARIANT previousValue;
    WORD previousQuality = 0;
    BOOL previousChanged = FALSE;
    FILETIME timestamp = {0, 0};
  };

  // The host refused the write: the item gets back what it held, unless an
  // update (a new timestamp) reached it since.
  void Undo(const Pending& write);

  OPCGroup& group_;
  // A deque: a pending write stays where it was made.
  std::deque<Pending> writes_;
};
