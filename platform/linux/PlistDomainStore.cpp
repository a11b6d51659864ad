#include "platform/linux/PlistDomainStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "platform/PropertyList.h"
#include "platform/linux/BundleLocation.h"

namespace platform::real {

namespace fs = std::filesystem;

namespace {

// An exclusive flock held for the life of the object; a lock file that
// cannot be opened leaves the caller unprotected rather than stuck.
class FileLock {
 public:
  explicit FileLock(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_;
};

std::string utcStamp() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%SZ", &tm);
  return buf;
}

bool readWhole(const std::string& path, std::string& out, int& err) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    err = errno;
    return false;
  }
  char buf[65536];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      ::close(fd);
      return false;
    }
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

}  // namespace

bool isValidDomainName(const std::string& domain) {
  return !domain.empty() && domain.front() != '.' && domain.find('/') == std::string::npos &&
         domain.find('\0') == std::string::npos && domain.size() <= 200;
}

std::string defaultPreferencesFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // Relative values are invalid by the XDG rules and are ignored.
  std::string base = config && *config == '/' ? config : locateBundle().homeDirectory + "/.config";
  return base + "/Tarvel/Preferences";
}

PlistDomainStore::PlistDomainStore(std::string folder, Log* log) : folder_(std::move(folder)), log_(log) {}

std::string PlistDomainStore::pathFor(const std::string& domain) const { return folder_ + "/" + domain + ".plist"; }

void PlistDomainStore::report(const std::string& message) {
  if (log_) log_->write(message);
}

PlistDomainStore::Read PlistDomainStore::read(const std::string& domain, PlistValue::Dict& out, std::string& why) {
  std::string bytes;
  int err = 0;
  if (!readWhole(pathFor(domain), bytes, err)) {
    if (err == ENOENT || err == ENOTDIR) return Read::Missing;
    why = std::strerror(err);
    return Read::Bad;
  }
  auto dict = dictFromPlist(bytes);
  if (!dict) {
    why = "not a property list dictionary";
    return Read::Bad;
  }
  out = std::move(*dict);
  return Read::Ok;
}

// Called with the domain's lock held, so that a file being moved aside
// is not one another writer has just replaced.
std::optional<PlistValue::Dict> PlistDomainStore::loadLocked(const std::string& domain) {
  PlistValue::Dict dict;
  std::string why;
  switch (read(domain, dict, why)) {
    case Read::Ok: return dict;
    case Read::Missing: return std::nullopt;
    case Read::Bad: break;
  }
  std::string from = pathFor(domain);
  std::string aside = from + ".corrupt-" + utcStamp();
  for (int n = 1; fs::exists(aside); ++n) aside = from + ".corrupt-" + utcStamp() + "-" + std::to_string(n);
  if (::rename(from.c_str(), aside.c_str()) == 0) {
    report("Preferences file " + from + " could not be read (" + why + "); it was moved to " + aside +
           " and the defaults apply.");
  } else {
    report("Preferences file " + from + " could not be read (" + why + ") nor moved aside (" +
           std::strerror(errno) + "); the defaults apply.");
  }
  return std::nullopt;
}

std::optional<PlistValue::Dict> PlistDomainStore::load(const std::string& domain) {
  if (!isValidDomainName(domain)) return std::nullopt;
  PlistValue::Dict dict;
  std::string why;
  switch (read(domain, dict, why)) {
    case Read::Ok: return dict;
    case Read::Missing: return std::nullopt;
    case Read::Bad: break;
  }
  FileLock lock(pathFor(domain) + ".lock");
  return loadLocked(domain);
}

// Preference files may hold a mail password: readable by the user only.
// Called with the domain's lock held: every writer of the domain holds it,
// so a temporary file of the domain found now is one a killed writer left.
bool PlistDomainStore::write(const std::string& domain, const PlistValue::Dict& contents) {
  const std::string stale = domain + ".plist.tmp-";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder_, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(stale)) fs::remove(entry.path(), ec);
  }
  std::string error;
  if (writeFileAtomically(pathFor(domain), plistXml(PlistValue(contents)), error, 0600)) return true;
  report("Could not write preferences file " + pathFor(domain) + ": " + error);
  return false;
}

void PlistDomainStore::save(const std::string& domain, const PlistValue::Dict& contents) {
  if (!isValidDomainName(domain)) {
    report("Preferences domain name \"" + domain + "\" is not usable as a file name; nothing was written.");
    return;
  }
  std::error_code ec;
  fs::create_directories(folder_, ec);
  FileLock lock(pathFor(domain) + ".lock");
  write(domain, contents);
}

void PlistDomainStore::update(const std::string& domain, const std::function<void(PlistValue::Dict&)>& change) {
  modify(domain, change);
}

bool PlistDomainStore::modify(const std::string& domain, const std::function<void(PlistValue::Dict&)>& change) {
  if (!isValidDomainName(domain)) {
    report("Preferences domain name \"" + domain + "\" is not usable as a file name; nothing was written.");
    return false;
  }
  std::error_code ec;
  fs::create_directories(folder_, ec);
  FileLock lock(pathFor(domain) + ".lock");
  if (!lock.held()) report("Could not lock preferences domain " + domain + "; writing without the lock.");
  const std::optional<PlistValue::Dict> stored = loadLocked(domain);
  PlistValue::Dict dict = stored.value_or(PlistValue::Dict{});
  change(dict);
  // Remembered counts mostly stay as they were: rewriting (and syncing) an
  // unchanged file at every check would cost more than the check's reading.
  if (stored && dict == *stored) return true;
  return write(domain, dict);
}

bool PlistDomainStore::remove(const std::string& domain) {
  if (!isValidDomainName(domain)) return false;
  FileLock lock(pathFor(domain) + ".lock");
  return ::unlink(pathFor(domain).c_str()) == 0;
}

}  // namespace platform::real
