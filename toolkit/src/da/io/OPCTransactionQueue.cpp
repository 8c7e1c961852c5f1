#include "da/io/OPCTransactionQueue.h"

#include "app/CVorlixApp.h"

#include <algorithm>

bool OPCTransactionQueue::Full() const { return Pending() >= kMaxPending; }

size_t OPCTransactionQueue::Pending() const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return pending_.size();
}

bool OPCTransactionQueue::Append(std::shared_ptr<OPCTransaction> transaction) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  // Checked again here: two calls may both have found room before either appended.
  if (pending_.size() >= kMaxPending) return false;
  pending_.push_back(std::move(transaction));
  return true;
}

bool OPCTransactionQueue::Cancel(OPCTransaction::Path path, DWORD id) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const auto found =
      std::find_if(pending_.begin(), pending_.end(), [&](const std::shared_ptr<OPCTransaction>& transaction) {
        const DWORD own = path == OPCTransaction::kDataObjectPath ? transaction->transactionId
                                                                  : transaction->cancelId;
        return transaction->path == path && own == id;
      });
  if (found == pending_.end()) return false;
  (*found)->cancelled = true;
  return true;
}

void OPCTransactionQueue::CompleteWrite(OPCTransaction& transaction, std::vector<HRESULT> results) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  transaction.results = std::move(results);
  transaction.busy = false;
}

std::shared_ptr<OPCTransaction> OPCTransactionQueue::TakeNext() {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const auto found = std::find_if(pending_.begin(), pending_.end(),
                                  [](const std::shared_ptr<OPCTransaction>& transaction) { return !transaction->busy; });
  if (found == pending_.end()) return nullptr;
  std::shared_ptr<OPCTransaction> taken = std::move(*found);
  pending_.erase(found);
  return taken;
}

void OPCTransactionQueue::Clear() {
  std::vector<std::shared_ptr<OPCTransaction>> dropped;
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  dropped.swap(pending_);
}

void OPCTransactionQueue::Drain(const std::function<void(const OPCTransaction&)>& deliver) {
  const std::unique_lock<std::mutex> drain(draining_, std::try_to_lock);
  if (!drain.owns_lock()) return;
  while (const std::shared_ptr<OPCTransaction> transaction = TakeNext()) deliver(*transaction);
}
