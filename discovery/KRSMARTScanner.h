// Finds the machine's whole disks and the volumes mounted from them, keeps
// the ordered list of drive records, and updates every drive in it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "discovery/NamingProfile.h"
#include "engine/KRSMARTDrive.h"

class KRSMARTScanner {
 public:
  KRSMARTScanner();  // init
  static KRSMARTScanner initWithFile(const std::string& path);
  static KRSMARTScanner initForCommandLine();

  // The list is handed out by reference and must stay the same object for
  // the scanner's whole life, so a scanner is neither copied nor moved.
  KRSMARTScanner(const KRSMARTScanner&) = delete;
  KRSMARTScanner& operator=(const KRSMARTScanner&) = delete;

  // Rebuilds the list from the listings; false when a listing failed.
  bool scanForDrives();
  void addVolume(const std::string& line);
  std::string findVolumeName(const std::string& line);
  std::optional<std::string> findRootVolumeName();
  void newDrive(const std::string& name);
  void newDriveWithVolume(const std::string& line);
  // Updates every drive and drops those without SMART support; `jobs`
  // drives at a time (discovery/ParallelUpdate.h), the hooks in list order.
  void updateDrives(size_t jobs = 1);
  std::vector<KRSMARTDrive>& getDrives() { return drives; }
  void resetDrives() { drives.clear(); }

  // Which listings and name rules a scan uses (the platform's own unless set).
  void setNamingProfile(discovery::NamingProfile profile) { naming = std::move(profile); }
  const discovery::NamingProfile& namingProfile() const { return naming; }

  // Called by updateDrives before each drive's update (index, count at
  // that moment) and after it, before an unsupported drive leaves the list.
  struct UpdateHooks {
    std::function<void(const KRSMARTDrive&, size_t index, size_t count)> willUpdate;
    std::function<void(const KRSMARTDrive&)> didUpdate;
  };
  void setUpdateHooks(UpdateHooks hooks) { updateHooks = std::move(hooks); }

 private:
  enum class Mode { Monitor, CommandLine };
  // Built in place, so the factories can hand out a scanner that never moves.
  KRSMARTScanner(Mode mode, const std::optional<std::string>& file);
  KRSMARTDrive makeDrive() const;
  void debug(const std::string& message) const;
  void showScanErrorAlert() const;

  std::vector<KRSMARTDrive> drives;
  bool outputDebugMessages = false;
  bool enableCommandLineOption = false;
  discovery::NamingProfile naming = discovery::nativeNaming();
  UpdateHooks updateHooks;
};
