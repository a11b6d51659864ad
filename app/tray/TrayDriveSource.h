// The drive scanner as the tray monitor runs it: on a thread of its own,
// so that the panel, Quit and the session's log-out are answered while
// smartctl runs (a dying disk can keep it waiting for minutes), and with
// what the user is told when smartctl could not read the drives: it is
// missing, or the disks were closed to it for lack of privileges. Such
// drives leave the list as drives without SMART support do, so without a
// word the menu would only be empty.
#pragma once

#include <QtCore/QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "discovery/KRSMARTScanner.h"
#include "monitor/DriveSource.h"

namespace tray {

class TrayDriveSource : public monitor::ScannerDriveSource<KRSMARTScanner> {
 public:
  using NoticeHandler = std::function<void(std::vector<std::string> lines)>;
  // `showNotice` gets the lines for the top of the menu after every scan
  // and update (none when all is well), before the controller shows the
  // menu again; on the thread of the Qt event loop.
  TrayDriveSource(discovery::NamingProfile naming, NoticeHandler showNotice);
  // Stops the work under way and waits for its thread.
  ~TrayDriveSource() override;

  // On the caller's thread.
  bool scanForDrives() override;
  void updateDrives() override;
  // On the source's thread; `done` comes through the Qt event loop. The
  // worker reads the preferences, writes the drives' remembered counts and
  // logs, all of which are safe across threads; alerts it raises are shown
  // by the main thread (MessageBoxAlerts).
  void startScan(std::function<void(bool scanned)> done) override;
  void startUpdate(std::function<void()> done) override;

  // Kills the smartctl runs under way and skips the rest of the work, whose
  // result is then never delivered; false when its thread has not ended
  // within `limit` (it may be stuck on a disk that no longer answers).
  bool stop(std::chrono::milliseconds limit);

 private:
  // Runs `work` on the worker thread, then `finish` from the event loop.
  void inBackground(std::function<std::function<void()>()> work);
  std::vector<std::string> updateAndExplain();

  NoticeHandler showNotice_;
  std::vector<std::string> denied_;  // "/dev/sda: Smartctl open device: /dev/sda failed: Permission denied"
  std::vector<std::string> deniedNames_;

  // Delivers the results; late ones die with it.
  std::unique_ptr<QObject> receiver_;
  std::thread worker_;
  std::shared_ptr<KRTask::Cancellation> cancellation_;
  std::mutex mutex_;
  std::condition_variable ended_;
  bool running_ = false;
};

// The menu lines for a smartctl that cannot be run and for the disks it
// was not allowed to open ("sda", ...); empty when there is nothing to say.
std::vector<std::string> accessNotice(bool smartctlMissing, const std::vector<std::string>& deniedDisks);

}  // namespace tray
