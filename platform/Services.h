// The small interfaces through which the drive engine, discovery and the
// monitor reach the desktop: localized texts, the log, alerts, in-process
// notifications and the bundle's folders.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Localized texts of the bundle's string tables ("Main", "Attributes", ...).
class Strings {
 public:
  virtual ~Strings() = default;
  // The entry of `key` in `table` for the user's language, else `defaultValue`.
  virtual std::string localizedString(const std::string& table, const std::string& key,
                                      const std::string& defaultValue) = 0;
  // The user's preferred localization among those shipped ("English", "French", ...).
  virtual std::string preferredLocalization() = 0;
};

// The system log. Whether a message is debug-only is the caller's decision.
class Log {
 public:
  virtual ~Log() = default;
  virtual void write(const std::string& message) = 0;
};

// The modal critical alert with one button; blocks until it is closed.
class Alerts {
 public:
  virtual ~Alerts() = default;
  virtual void showCritical(const std::string& message, const std::string& informative,
                            const std::string& button) = 0;
};

// In-process notifications by name with a text object, delivered at once on
// the posting thread.
class NotificationCenter {
 public:
  using Handler = std::function<void(const std::string& name, const std::string& object)>;
  int addObserver(const std::string& name, Handler handler);
  void removeObserver(int token);
  void removeAllObservers();
  // Runs the handlers observing `name`; they may add or remove observers.
  void post(const std::string& name, const std::string& object);
  // The names observed, once per observer.
  std::vector<std::string> observedNames();

 private:
  std::mutex mutex_;
  int nextToken_ = 1;
  std::map<int, std::pair<std::string, Handler>> observers_;
};

// Folders of the running program: the bundle that holds its executables
// and resources, and where it keeps logs and its drive list.
struct BundlePaths {
  std::string bundlePath;        // ".../Tarvel Menu Item.app"
  std::string executableFolder;  // the running program's folder (".../Contents/MacOS")
  std::string resourcesPath;     // ".../Contents/Resources"
  std::string homeDirectory;
  std::string logsFolder;        // raw data and crash logs
  std::string appSupportFolder;  // the drive list file
};

}  // namespace platform
