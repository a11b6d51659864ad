#include "platform/linux/PlistDomainStore.h"

#include <fcntl.h>
#include <plist/plist.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

#include "platform/linux/BundleLocation.h"

namespace platform::real {

namespace fs = std::filesystem;

namespace {

// Property-list dates count from 1 January 2001.
constexpr double kSecondsFrom1970To2001 = 978307200.0;

struct PlistFree {
  void operator()(plist_t p) const { plist_free(p); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

plist_t toNode(const PlistValue& v) {
  switch (v.kind()) {
    case PlistValue::Kind::Boolean: return plist_new_bool(v.boolean() ? 1 : 0);
    case PlistValue::Kind::Integer: return plist_new_uint(static_cast<uint64_t>(v.integer()));
    case PlistValue::Kind::Real: return plist_new_real(v.real());
    case PlistValue::Kind::String: return plist_new_string(v.string().c_str());
    case PlistValue::Kind::Date: {
      double t = v.real() - kSecondsFrom1970To2001;
      if (!std::isfinite(t)) t = 0;
      t = std::fmax(std::fmin(t, 2147483647.0), -2147483648.0);
      double whole = std::floor(t);
      return plist_new_date(static_cast<int32_t>(whole), static_cast<int32_t>((t - whole) * 1e6));
    }
    case PlistValue::Kind::Data:
      return plist_new_data(reinterpret_cast<const char*>(v.data().data()), v.data().size());
    case PlistValue::Kind::Array: {
      plist_t a = plist_new_array();
      for (const auto& item : v.array()) plist_array_append_item(a, toNode(item));
      return a;
    }
    case PlistValue::Kind::Dict: {
      plist_t d = plist_new_dict();
      for (const auto& [key, item] : v.dict()) plist_dict_set_item(d, key.c_str(), toNode(item));
      return d;
    }
  }
  return plist_new_string("");
}

std::optional<PlistValue> fromNode(plist_t node) {
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return PlistValue(b != 0);
    }
    case PLIST_UINT:
    case PLIST_UID: {
      uint64_t u = 0;
      plist_get_uint_val(node, &u);
      return PlistValue(static_cast<long long>(u));
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return PlistValue(d);
    }
    case PLIST_STRING: {
      char* s = nullptr;
      plist_get_string_val(node, &s);
      std::string text = s ? s : "";
      std::free(s);
      return PlistValue(std::move(text));
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return PlistValue(Date{sec + usec / 1e6 + kSecondsFrom1970To2001});
    }
    case PLIST_DATA: {
      char* bytes = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &bytes, &length);
      std::vector<uint8_t> data(bytes, bytes + (bytes ? length : 0));
      std::free(bytes);
      return PlistValue(std::move(data));
    }
    case PLIST_ARRAY: {
      PlistValue::Array items;
      uint32_t n = plist_array_get_size(node);
      for (uint32_t i = 0; i < n; ++i)
        if (auto item = fromNode(plist_array_get_item(node, i))) items.push_back(std::move(*item));
      return PlistValue(std::move(items));
    }
    case PLIST_DICT: {
      PlistValue::Dict dict;
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      while (it) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, it, &key, &item);
        if (!item) {
          std::free(key);
          break;
        }
        if (auto value = fromNode(item); value && key) dict[key] = std::move(*value);
        std::free(key);
      }
      std::free(it);
      return PlistValue(std::move(dict));
    }
    default: return std::nullopt;
  }
}

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

bool writeAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string toXml(const PlistValue::Dict& dict) {
  PlistPtr root(toNode(PlistValue(dict)));
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(root.get(), &xml, &length);
  std::string out(xml ? xml : "", xml ? length : 0);
  plist_to_xml_free(xml);
  return out;
}

std::optional<PlistValue::Dict> dictFromPlist(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > UINT32_MAX) return std::nullopt;
  plist_t raw = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
  PlistPtr root(raw);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
  return fromNode(root.get())->dict();
}

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

bool PlistDomainStore::write(const std::string& domain, const PlistValue::Dict& contents) {
  std::string target = pathFor(domain);
  std::string temp = target + ".tmp-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    report("Could not write preferences file " + target + ": " + std::strerror(errno));
    return false;
  }
  bool ok = writeAll(fd, toXml(contents)) && ::fsync(fd) == 0;
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    report("Could not write preferences file " + target + ": " + std::strerror(err));
  }
  return ok;
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
  PlistValue::Dict dict = loadLocked(domain).value_or(PlistValue::Dict{});
  change(dict);
  return write(domain, dict);
}

bool PlistDomainStore::remove(const std::string& domain) {
  if (!isValidDomainName(domain)) return false;
  FileLock lock(pathFor(domain) + ".lock");
  return ::unlink(pathFor(domain).c_str()) == 0;
}

}  // namespace platform::real
