#include "app/tray/TrayDriveSource.h"

#include <QtCore/QMetaObject>

#include "app/cli/SmartctlSetup.h"
#include "platform/Format.h"
#include "platform/Platform.h"

namespace tray {

namespace {

std::string join(const std::vector<std::string>& parts, const char* separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? separator : "") + parts[i];
  return out;
}

}  // namespace

std::vector<std::string> accessNotice(bool smartctlMissing, const std::vector<std::string>& deniedDisks) {
  if (smartctlMissing)
    return {platform::localized("Main", "SmartctlMissing", "Cannot read the drives: smartctl is missing")};
  if (deniedDisks.empty()) return {};
  return {platform::format(platform::localized("Main", "NoPrivileges1", "Cannot read %@: smartctl was denied access"),
                           join(deniedDisks, ", ")),
          platform::localized("Main", "NoPrivileges2", "Install Tarvel with: sudo cmake --install build")};
}

TrayDriveSource::TrayDriveSource(discovery::NamingProfile naming, NoticeHandler showNotice)
    : showNotice_(std::move(showNotice)), receiver_(std::make_unique<QObject>()) {
  scanner().setNamingProfile(std::move(naming));
  scanner().setUpdateHooks({nullptr, [this](const KRSMARTDrive& drive) {
                              if (drive.smartSupported()) return;
                              auto error = drive.getLastSMARTErrorMessage();
                              if (!error || !cli::reportsMissingPrivileges(*error)) return;
                              denied_.push_back(drive.driveLocation().value_or("?") + ": " + *error);
                              deniedNames_.push_back(drive.driveLocationID());
                            }});
}

TrayDriveSource::~TrayDriveSource() {
  stop(std::chrono::milliseconds::max());
  // Takes a result still waiting in the event loop with it: none may reach
  // a controller that is going away.
  receiver_.reset();
}

bool TrayDriveSource::scanForDrives() {
  // What the last check found no longer holds for a new list.
  showNotice_({});
  return ScannerDriveSource::scanForDrives();
}

void TrayDriveSource::updateDrives() { showNotice_(updateAndExplain()); }

std::vector<std::string> TrayDriveSource::updateAndExplain() {
  denied_.clear();
  deniedNames_.clear();
  const std::optional<std::string> problem = cli::smartctlProblem();
  ScannerDriveSource::updateDrives();

  if (problem) platform::log(*problem);
  else if (!denied_.empty())
    platform::log("smartctl was not allowed to open the drive: " + join(denied_, "; ") + ". " + cli::privilegeHint());
  return accessNotice(problem.has_value(), deniedNames_);
}

void TrayDriveSource::startScan(std::function<void(bool)> done) {
  inBackground([this, done = std::move(done)]() -> std::function<void()> {
    const bool scanned = ScannerDriveSource::scanForDrives();
    return [this, done, scanned] {
      showNotice_({});
      done(scanned);
    };
  });
}

void TrayDriveSource::startUpdate(std::function<void()> done) {
  inBackground([this, done = std::move(done)]() -> std::function<void()> {
    std::vector<std::string> notice = updateAndExplain();
    return [this, done, notice = std::move(notice)] {
      showNotice_(notice);
      done();
    };
  });
}

void TrayDriveSource::inBackground(std::function<std::function<void()>()> work) {
  // The previous work has delivered its result, so its thread is ending.
  if (worker_.joinable()) worker_.join();
  cancellation_ = std::make_shared<KRTask::Cancellation>();
  {
    std::lock_guard lock(mutex_);
    running_ = true;
  }
  QObject* receiver = receiver_.get();
  worker_ = std::thread([this, work = std::move(work), cancellation = cancellation_, receiver] {
    KRTask::setThreadCancellation(cancellation);
    std::function<void()> finish = work();
    if (!cancellation->cancelled())
      QMetaObject::invokeMethod(receiver, std::move(finish), Qt::QueuedConnection);
    std::lock_guard lock(mutex_);
    running_ = false;
    ended_.notify_all();
  });
}

bool TrayDriveSource::stop(std::chrono::milliseconds limit) {
  if (!worker_.joinable()) return true;
  cancellation_->cancel();
  {
    std::unique_lock lock(mutex_);
    if (limit == std::chrono::milliseconds::max()) ended_.wait(lock, [this] { return !running_; });
    else if (!ended_.wait_for(lock, limit, [this] { return !running_; })) return false;
  }
  worker_.join();
  return true;
}

}  // namespace tray
