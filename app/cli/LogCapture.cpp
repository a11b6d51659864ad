#include "app/cli/LogCapture.h"

#include <mutex>

#include "platform/Platform.h"

namespace cli {

class LogCapture::Tee : public platform::Log {
 public:
  explicit Tee(std::shared_ptr<platform::Log> next) : next_(std::move(next)) {}
  void write(const std::string& message) override {
    {
      std::lock_guard lock(mutex_);
      lines_.push_back(message);
    }
    if (next_) next_->write(message);
  }
  std::vector<std::string> lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  std::shared_ptr<platform::Log> next_;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

LogCapture::LogCapture() : previous_(platform::current().log), tee_(std::make_shared<Tee>(previous_)) {
  platform::current().log = tee_;
}

LogCapture::~LogCapture() { platform::current().log = previous_; }

std::vector<std::string> LogCapture::lines() const { return tee_->lines(); }

}  // namespace cli
