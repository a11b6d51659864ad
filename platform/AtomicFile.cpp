#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace platform {

namespace {

// The umask without changing it: umask(2) sets as it reads, which would
// leave other threads creating files under a wrong mask meanwhile.
mode_t currentUmask() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  return 022;
}

bool writeAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The file has no name until it is complete (O_TMPFILE), then a unique
// temporary one just long enough to be renamed over `path`: a writer killed
// at any moment leaves at most that instant's name behind. False when the
// file system cannot do it; the caller then writes a named temporary file.
bool writeUnnamed(const std::string& path, const std::string& contents, mode_t mode, std::string& error, bool& done) {
  done = false;
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (folder.empty()) folder = ".";
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd < 0) {
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
    error = std::strerror(errno);
    done = true;
    return false;
  }
  bool ok = writeAll(fd, contents) && ::fsync(fd) == 0;
  int err = errno;
  std::string temp;
  if (ok) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, "%06x", random() & 0xFFFFFF);
      temp = path + ".tmp-" + suffix;
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
      err = errno;
      temp.clear();
      if (err != EEXIST) break;
    }
    // Without /proc the file cannot get a name: a named temporary file will do.
    if (temp.empty() && err == ENOENT) {
      ::close(fd);
      return false;
    }
    ok = !temp.empty();
  }
  ::close(fd);
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    err = errno;
    ::unlink(temp.c_str());
    ok = false;
  }
  if (!ok) error = std::strerror(err);
  done = true;
  return ok;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& contents, std::string& error, mode_t mode) {
  bool done = false;
  if (bool written = writeUnnamed(path, contents, mode, error, done); done) return written;
  std::string temp = path + ".tmp-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  bool ok = ::fchmod(fd, mode & ~currentUmask()) == 0 && writeAll(fd, contents) && ::fsync(fd) == 0;
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    error = std::strerror(err);
  }
  return ok;
}

}  // namespace platform
