// Keeps the remembered per-drive values (preferences under the drive's
// serial number, such as "_LastErrorCount") of a check that updates several
// drives at once exactly as a check of one drive after the other leaves
// them: a drive reads and writes them only once every earlier drive of the
// list that may share them (same serial number, or not known yet) is done.
// Drives with different serial numbers never wait for each other.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace engine {

class RememberedOrder {
 public:
  explicit RememberedOrder(size_t drives);

  // The drive the calling thread updates from now on: drive `index` of
  // `order`; null for updates outside such a check (no waiting).
  static void setThreadDrive(RememberedOrder* order, size_t index);

  // Called by the drive before it touches the values kept under `key`;
  // blocks until its turn.
  static void awaitTurn(const std::string& key);
  // The calling thread's drive has updated, remembered values and all.
  static void finished();

 private:
  bool mayGo(size_t index, const std::string& key) const;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::optional<std::string>> keys_;
  std::vector<bool> done_;
};

}  // namespace engine
