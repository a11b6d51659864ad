// The updater: reads the appcast named by the bundle's Info.plist
// ("SUFeedURL") over HTTP and tells its delegate when the newest item is
// newer than the bundle's "CFBundleVersion", by the delegate's comparator.
// It only informs; downloading and installing are the main application's.
// Needs a running Qt event loop; every call and callback is on its thread.
#pragma once

#include <memory>
#include <string>

#include "support/SUVersionComparison.h"

struct SUAppcastItem {
  std::string title;
  std::string versionString;         // what the comparator sees
  std::string displayVersionString;  // sparkle:shortVersionString, if any
  std::string fileURL;               // the enclosure's address
};

class SUUpdater;

class SUUpdaterDelegate {
 public:
  virtual ~SUUpdaterDelegate() = default;
  // Asked before each automatic check; there is no permission prompt, so
  // true means the automatic check is skipped.
  virtual bool updaterShouldPromptForPermissionToCheckForUpdates(SUUpdater&) { return false; }
  // Null: the monitor's own comparator is used.
  virtual SUVersionComparison* versionComparatorForUpdater(SUUpdater&) { return nullptr; }
  virtual void updaterDidFindValidUpdate(SUUpdater&, const SUAppcastItem&) {}
};

class SUUpdater {
 public:
  // The updater of a bundle, made on first request and kept for the life
  // of the process.
  static SUUpdater& updaterForBundle(const std::string& bundlePath);

  explicit SUUpdater(std::string bundlePath);
  ~SUUpdater();
  SUUpdater(const SUUpdater&) = delete;
  SUUpdater& operator=(const SUUpdater&) = delete;

  const std::string& bundlePath() const;
  void setDelegate(SUUpdaterDelegate* delegate);
  // On: a check once a day. Off (the start state): no check unless asked.
  void setAutomaticallyChecksForUpdates(bool on);
  bool automaticallyChecksForUpdates() const;
  // Starts one check and returns at once; ignored while one runs.
  void checkForUpdateInformation();
  bool isChecking() const;
  // A feed that has not answered completely by then counts as unreachable.
  void setFeedTimeout(int milliseconds);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
