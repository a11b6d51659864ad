#include "discovery/ParallelUpdate.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "engine/RememberedOrder.h"

namespace discovery {

void updateInParallel(const std::vector<KRSMARTDrive*>& drives, size_t jobs, const std::function<void(size_t)>& before,
                      const std::function<void(size_t)>& after) {
  engine::RememberedOrder order(drives.size());
  std::mutex mutex;
  std::condition_variable updated;
  std::vector<bool> done(drives.size(), false);
  std::exception_ptr failure;
  size_t next = 0;

  auto work = [&] {
    while (true) {
      size_t i;
      {
        std::lock_guard lock(mutex);
        if (next == drives.size()) return;
        i = next++;
      }
      engine::RememberedOrder::setThreadDrive(&order, i);
      try {
        drives[i]->updateInfo();
      } catch (...) {
        std::lock_guard lock(mutex);
        if (!failure) failure = std::current_exception();
      }
      engine::RememberedOrder::finished();
      engine::RememberedOrder::setThreadDrive(nullptr, 0);
      {
        std::lock_guard lock(mutex);
        done[i] = true;
      }
      updated.notify_all();
    }
  };

  std::vector<std::thread> threads;
  for (size_t t = 0; t < std::min(jobs, drives.size()); ++t) threads.emplace_back(work);
  for (size_t i = 0; i < drives.size(); ++i) {
    if (before) before(i);
    {
      std::unique_lock lock(mutex);
      updated.wait(lock, [&] { return done[i]; });
    }
    if (after) after(i);
  }
  for (auto& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace discovery
