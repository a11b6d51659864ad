// Persistent preference domains as XML property lists, one file per
// domain: <folder>/<domain>.plist. Writes replace the file atomically;
// `update` holds an flock on <domain>.plist.lock across read-modify-write,
// so other processes and threads writing the same domain lose nothing.
// A file that cannot be read or parsed is renamed to
// <domain>.plist.corrupt-<UTC time>, reported, and the domain reads as absent.
#pragma once

#include <string>

#include "platform/Preferences.h"
#include "platform/Services.h"

namespace platform::real {

class PlistDomainStore : public DomainStore {
 public:
  // `log` (may be null) receives write failures and corrupt files.
  PlistDomainStore(std::string folder, Log* log);

  std::optional<PlistValue::Dict> load(const std::string& domain) override;
  void save(const std::string& domain, const PlistValue::Dict& contents) override;
  void update(const std::string& domain, const std::function<void(PlistValue::Dict&)>& change) override;

  // `update` that tells whether the change reached the file.
  bool modify(const std::string& domain, const std::function<void(PlistValue::Dict&)>& change);
  // Deletes the domain's file; false when there was none.
  bool remove(const std::string& domain);

  std::string pathFor(const std::string& domain) const;
  const std::string& folder() const { return folder_; }

 private:
  enum class Read { Missing, Ok, Bad };
  Read read(const std::string& domain, PlistValue::Dict& out, std::string& why);
  std::optional<PlistValue::Dict> loadLocked(const std::string& domain);
  bool write(const std::string& domain, const PlistValue::Dict& contents);
  void report(const std::string& message);

  std::string folder_;
  Log* log_;
};

// $XDG_CONFIG_HOME/Tarvel/Preferences, with ~/.config when unset.
std::string defaultPreferencesFolder();

// Domain names become file names: no path separators, no leading dot,
// nothing empty.
bool isValidDomainName(const std::string& domain);

}  // namespace platform::real
