#include "engine/RememberedOrder.h"

namespace engine {

namespace {
thread_local RememberedOrder* tOrder = nullptr;
thread_local size_t tIndex = 0;
}  // namespace

RememberedOrder::RememberedOrder(size_t drives) : keys_(drives), done_(drives, false) {}

void RememberedOrder::setThreadDrive(RememberedOrder* order, size_t index) {
  tOrder = order;
  tIndex = index;
}

bool RememberedOrder::mayGo(size_t index, const std::string& key) const {
  for (size_t i = 0; i < index; ++i)
    if (!done_[i] && (!keys_[i] || *keys_[i] == key)) return false;
  return true;
}

void RememberedOrder::awaitTurn(const std::string& key) {
  RememberedOrder* order = tOrder;
  if (!order) return;
  std::unique_lock lock(order->mutex_);
  // Later drives may go on once they know this one's key is not theirs.
  order->keys_[tIndex] = key;
  order->changed_.notify_all();
  order->changed_.wait(lock, [&] { return order->mayGo(tIndex, key); });
}

void RememberedOrder::finished() {
  RememberedOrder* order = tOrder;
  if (!order) return;
  {
    std::lock_guard lock(order->mutex_);
    order->done_[tIndex] = true;
  }
  order->changed_.notify_all();
}

}  // namespace engine
