#pragma once
// Finished records (one line of JSON text each) waiting to be posted. The queue is bounded, posts
// in batches, keeps what a failed post could not deliver, and hands unsent records from one run to
// the next through a staging file.
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace qz_analytics {

class RecordQueue {
 public:
  static constexpr size_t kCapacity = 1024;
  static constexpr size_t kBatchSize = 30;

  // Posts one batch text to the collector; true when it was accepted.
  using Poster = std::function<bool(const std::string& url, std::string_view batch)>;

  RecordQueue(std::string collectorUrl, std::string stagingPath, Poster poster);

  // Appends a record; a full queue drops its oldest record to make room.
  void send(std::string record);
  // Posts every queued record, batch by batch; false at the first batch that was not accepted.
  bool flushAll();
  // Posts at most one batch; true when there was nothing to post or the batch was accepted.
  bool flushBatch();
  // Writes every unsent record to the staging file. The queue must not be used afterwards.
  void close();

  std::vector<std::string> Snapshot() const;
  size_t size() const;

 private:
  // Puts the records of the staging file in front of the queue, once, at the first flush.
  void loadStaged();
  void loadStagedLocked();

  const std::string collectorUrl_;
  const std::string stagingPath_;
  const Poster poster_;

  // Always taken before recordsLock_, never after it.
  std::mutex sendLock_;
  mutable std::mutex recordsLock_;
  std::deque<std::string> records_;
  bool staged_ = true;
};

}  // namespace qz_analytics
