// The drive scanner as the tray monitor runs it, and what the user is told
// when smartctl could not read the drives: it is missing, or the disks were
// closed to it for lack of privileges. Such drives leave the list as drives
// without SMART support do, so without a word the menu would only be empty.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "discovery/KRSMARTScanner.h"
#include "monitor/DriveSource.h"

namespace tray {

class TrayDriveSource : public monitor::ScannerDriveSource<KRSMARTScanner> {
 public:
  using NoticeHandler = std::function<void(std::vector<std::string> lines)>;
  // `showNotice` gets the lines for the top of the menu after every scan
  // and update (none when all is well), before the controller shows the
  // menu again.
  TrayDriveSource(discovery::NamingProfile naming, NoticeHandler showNotice);

  bool scanForDrives() override;
  void updateDrives() override;

 private:
  NoticeHandler showNotice_;
  std::vector<std::string> denied_;  // "/dev/sda: Smartctl open device: /dev/sda failed: Permission denied"
  std::vector<std::string> deniedNames_;
};

// The menu lines for a smartctl that cannot be run and for the disks it
// was not allowed to open ("sda", ...); empty when there is nothing to say.
std::vector<std::string> accessNotice(bool smartctlMissing, const std::vector<std::string>& deniedDisks);

}  // namespace tray
