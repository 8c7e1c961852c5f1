// A group's queue of asynchronous transactions on its own: its room, which
// record a cancel finds, and the drain's order and single delivery.
#include "app/CVorlixApp.h"
#include "da/io/OPCTransactionQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

std::shared_ptr<OPCTransaction> Record(OPCTransaction::Path path, DWORD transactionId, DWORD cancelId = 0,
                                       OPCTransaction::Operation operation = OPCTransaction::kRead) {
  auto transaction = std::make_shared<OPCTransaction>(operation, path);
  transaction->transactionId = transactionId;
  transaction->cancelId = cancelId;
  return transaction;
}

// The transaction ids of the records a drain delivers, and whether each was cancelled.
struct Delivered {
  std::vector<DWORD> ids;
  std::vector<bool> cancelled;
};

Delivered DrainAll(OPCTransactionQueue& queue) {
  Delivered delivered;
  queue.Drain([&](const OPCTransaction& transaction) {
    EXPECT_FALSE(VorlixApp().GetServerLock().HeldByCurrentThread());
    delivered.ids.push_back(transaction.transactionId);
    delivered.cancelled.push_back(transaction.cancelled);
  });
  return delivered;
}

}  // namespace

TEST(TransactionQueue, TakesTenRecordsAndRefusesTheEleventhUntilADrainEmptiesIt) {
  OPCTransactionQueue queue;
  for (DWORD id = 1; id <= OPCTransactionQueue::kMaxPending; ++id) {
    EXPECT_FALSE(queue.Full());
    EXPECT_TRUE(queue.Append(Record(OPCTransaction::kCallbackPath, id)));
  }
  EXPECT_TRUE(queue.Full());
  EXPECT_FALSE(queue.Append(Record(OPCTransaction::kCallbackPath, 11)));
  EXPECT_EQ(DrainAll(queue).ids, (std::vector<DWORD>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(queue.Pending(), 0u);
  EXPECT_TRUE(queue.Append(Record(OPCTransaction::kCallbackPath, 12)));
}

TEST(TransactionQueue, ACancelFindsOnlyRecordsOfItsOwnPathByThatPathsId) {
  // A 1.0 record handed out id 5; a 2.0 record whose client chose transaction
  // id 5 and got cancel id 7.
  const struct {
    OPCTransaction::Path path;
    DWORD id;
    bool found;
    DWORD cancelledTransaction;
  } cases[] = {
      {OPCTransaction::kDataObjectPath, 5, true, 5},
      {OPCTransaction::kDataObjectPath, 7, false, 0},
      {OPCTransaction::kCallbackPath, 7, true, 5},
      {OPCTransaction::kCallbackPath, 5, false, 0},
      // 0 was never issued: it names no 1.0 record, whose cancel id is 0.
      {OPCTransaction::kCallbackPath, 0, false, 0},
  };
  for (const auto& c : cases) {
    OPCTransactionQueue queue;
    const auto old = Record(OPCTransaction::kDataObjectPath, 5);
    const auto current = Record(OPCTransaction::kCallbackPath, 5, 7);
    queue.Append(old);
    queue.Append(current);
    EXPECT_EQ(queue.Cancel(c.path, c.id), c.found) << c.path << " " << c.id;
    const bool oldCancelled = c.found && c.path == OPCTransaction::kDataObjectPath;
    EXPECT_EQ(old->cancelled, oldCancelled) << c.path << " " << c.id;
    EXPECT_EQ(current->cancelled, c.found && !oldCancelled) << c.path << " " << c.id;
  }
}

TEST(TransactionQueue, ADrainPassesOverABusyWriteUntilItsResultsAreIn) {
  OPCTransactionQueue queue;
  const auto write = Record(OPCTransaction::kCallbackPath, 1, 1, OPCTransaction::kWrite);
  write->busy = true;
  queue.Append(write);
  queue.Append(Record(OPCTransaction::kCallbackPath, 2, 2));
  queue.Append(Record(OPCTransaction::kCallbackPath, 3, 3, OPCTransaction::kRefresh));
  EXPECT_TRUE(queue.Cancel(OPCTransaction::kCallbackPath, 2));

  const Delivered first = DrainAll(queue);
  EXPECT_EQ(first.ids, (std::vector<DWORD>{2, 3}));
  EXPECT_EQ(first.cancelled, (std::vector<bool>{true, false}));
  EXPECT_EQ(queue.Pending(), 1u);

  queue.CompleteWrite(*write, {S_OK, OPC_E_BADRIGHTS});
  EXPECT_EQ(DrainAll(queue).ids, std::vector<DWORD>{1});
  EXPECT_EQ(write->results, (std::vector<HRESULT>{S_OK, OPC_E_BADRIGHTS}));
}

TEST(TransactionQueue, ClearedRecordsAreNeverDelivered) {
  OPCTransactionQueue queue;
  const auto kept = Record(OPCTransaction::kCallbackPath, 1);
  queue.Append(kept);
  queue.Clear();
  EXPECT_EQ(queue.Pending(), 0u);
  EXPECT_TRUE(DrainAll(queue).ids.empty());
  // The caller that made a record still has it.
  EXPECT_EQ(kept->transactionId, 1u);
}

TEST(TransactionQueue, ConcurrentDrainsDeliverEveryRecordOnceAndInOrder) {
  constexpr DWORD kRecords = 2000;
  OPCTransactionQueue queue;
  std::mutex mutex;
  std::vector<DWORD> delivered;
  std::atomic<bool> appended{false};
  auto drain = [&] {
    queue.Drain([&](const OPCTransaction& transaction) {
      const std::lock_guard<std::mutex> lock(mutex);
      delivered.push_back(transaction.transactionId);
    });
  };
  std::vector<std::thread> drains;
  for (int t = 0; t < 4; ++t) {
    drains.emplace_back([&] {
      while (!appended) drain();
      drain();
    });
  }
  for (DWORD id = 1; id <= kRecords;) {
    if (queue.Append(Record(OPCTransaction::kCallbackPath, id))) ++id;
  }
  appended = true;
  for (std::thread& thread : drains) thread.join();
  drain();

  ASSERT_EQ(delivered.size(), kRecords);
  for (DWORD i = 0; i < kRecords; ++i) ASSERT_EQ(delivered[i], i + 1);
}
