// Where the monitor gets its drives: the drive scanner, seen through the
// three operations the controller uses.
#pragma once

#include <functional>
#include <vector>

#include "engine/KRSMARTDrive.h"

namespace monitor {

class DriveSource {
 public:
  virtual ~DriveSource() = default;
  // Rebuilds the list; false when the listings failed.
  virtual bool scanForDrives() = 0;
  // The list object itself, the same one after every scan.
  virtual std::vector<KRSMARTDrive>& getDrives() = 0;
  // Updates every drive; may drop drives without SMART support.
  virtual void updateDrives() = 0;

  // The forms the monitor uses. `done` runs on the caller's thread once the
  // work is over: here at once; a source that works on a thread of its own
  // calls it later, from the caller's event loop, and until then the caller
  // touches neither the list nor its drives.
  virtual void startScan(std::function<void(bool scanned)> done) { done(scanForDrives()); }
  virtual void startUpdate(std::function<void()> done) {
    updateDrives();
    done();
  }
};

// Any scanner class with those three operations, such as KRSMARTScanner.
template <class Scanner>
class ScannerDriveSource : public DriveSource {
 public:
  bool scanForDrives() override { return scanner_.scanForDrives(); }
  std::vector<KRSMARTDrive>& getDrives() override { return scanner_.getDrives(); }
  void updateDrives() override { scanner_.updateDrives(); }
  // For settings the three operations leave alone (listings, hooks).
  Scanner& scanner() { return scanner_; }

 private:
  Scanner scanner_;
};

}  // namespace monitor
