#include "analytics/record_queue.h"

#include <fstream>

#include "utils/ini_file.h"

namespace qz_analytics {

namespace {

bool LooksLikeRecord(const std::string& line) { return !line.empty() && line.front() == '{' && line.back() == '}'; }

}  // namespace

RecordQueue::RecordQueue(std::string collectorUrl, std::string stagingPath, Poster poster)
    : collectorUrl_(std::move(collectorUrl)), stagingPath_(std::move(stagingPath)), poster_(std::move(poster)) {}

void RecordQueue::send(std::string record) {
  std::lock_guard<std::mutex> lock(recordsLock_);
  records_.push_back(std::move(record));
  if (records_.size() > kCapacity) records_.pop_front();
}

bool RecordQueue::flushBatch() {
  loadStaged();
  std::lock_guard<std::mutex> sending(sendLock_);
  std::vector<std::string> batch;
  {
    std::lock_guard<std::mutex> lock(recordsLock_);
    const size_t count = std::min(records_.size(), kBatchSize);
    if (count == 0) return true;
    batch.assign(std::make_move_iterator(records_.begin()), std::make_move_iterator(records_.begin() + count));
    records_.erase(records_.begin(), records_.begin() + count);
  }

  std::string body = "[";
  for (size_t i = 0; i < batch.size(); ++i) {
    if (i) body += ',';
    body += batch[i];
  }
  body += ']';

  const bool accepted = poster_(collectorUrl_, body);
  if (!accepted) {
    // Records queued while the post ran keep their places; the batch gets back what still fits,
    // its newest records first, so a long outage keeps the most recent events.
    std::lock_guard<std::mutex> lock(recordsLock_);
    const size_t free = kCapacity - std::min(kCapacity, records_.size());
    const size_t keep = std::min(batch.size(), free);
    records_.insert(records_.begin(), std::make_move_iterator(batch.end() - keep),
                    std::make_move_iterator(batch.end()));
  }
  return accepted;
}

bool RecordQueue::flushAll() {
  loadStaged();
  while (size() != 0) {
    if (!flushBatch()) return false;
  }
  return true;
}

void RecordQueue::loadStaged() {
  std::lock_guard<std::mutex> lock(recordsLock_);
  loadStagedLocked();
}

void RecordQueue::loadStagedLocked() {
  if (!staged_) return;
  staged_ = false;
  if (stagingPath_.empty()) return;
  const size_t free = kCapacity - std::min(kCapacity, records_.size());
  if (free != 0) {
    std::deque<std::string> restored;
    std::ifstream file(stagingPath_, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!LooksLikeRecord(line)) continue;
      restored.push_back(std::move(line));
      if (restored.size() > free) restored.pop_front();
    }
    records_.insert(records_.begin(), std::make_move_iterator(restored.begin()),
                    std::make_move_iterator(restored.end()));
  }
  // The restored records now live only in memory: a flush posts them, and close() writes back
  // whatever is still unsent, so no record is posted twice by a later run.
  Utils::WriteFileAtomically(stagingPath_, "");
}

void RecordQueue::close() {
  std::lock_guard<std::mutex> lock(recordsLock_);
  loadStagedLocked();
  std::string text;
  for (const std::string& record : records_) {
    text += record;
    text += '\n';
  }
  if (!stagingPath_.empty()) Utils::WriteFileAtomically(stagingPath_, text);
}

std::vector<std::string> RecordQueue::Snapshot() const {
  std::lock_guard<std::mutex> lock(recordsLock_);
  return {records_.begin(), records_.end()};
}

size_t RecordQueue::size() const {
  std::lock_guard<std::mutex> lock(recordsLock_);
  return records_.size();
}

}  // namespace qz_analytics
