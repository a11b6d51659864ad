#include "app/cli/SmartctlGate.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace gate {

namespace {

struct Step {
  std::vector<std::string_view> words;
  bool changesDrive = false;
};

// The steps Tarvel builds, each complete. Self-test start and abort change
// the drive's state; everything else only reads, apart from enabling SMART.
const std::vector<Step>& steps() {
  static const std::vector<Step> list = {
      {{"-i"}},
      {{"-H"}},
      {{"-c"}},
      {{"-A"}},
      {{"-l", "error"}},
      {{"-l", "selftest"}},
      {{"-l", "selective"}},
      {{"-s", "on"}},
      {{"-r", "ataioctl,2", "-a"}},
      {{"-t", "short"}, true},
      {{"-t", "long"}, true},
      {{"-t", "conveyance"}, true},
      {{"-t", "offline"}, true},
      {{"-X"}, true},
  };
  return list;
}

// Device types without bridge parameters: a USB bridge type takes a SCSI
// opcode from its caller, which the gate must never let through.
constexpr std::string_view kTypes[] = {"auto", "ata", "sat", "sat,12", "sat,16", "scsi", "nvme"};

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string joined(const std::vector<std::string>& words, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) out += (i > from ? " " : "") + words[i];
  return out;
}

Decision refuse(std::string reason) { return Decision{false, std::move(reason), {}, 0}; }

// Closes a descriptor when it goes out of scope.
struct Fd {
  int fd = -1;
  explicit Fd(int f = -1) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd, other.fd);
    return *this;
  }
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Only root can replace what a folder holds.
bool onlyRootChanges(int dir) {
  struct stat st {};
  return ::fstat(dir, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == 0 && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

const char* kindOf(mode_t mode) {
  if (S_ISREG(mode)) return "a plain file";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a block device";
}

}  // namespace

std::string capabilityNames(Capabilities set) {
  std::string out;
  auto add = [&](Capabilities bit, const char* name) {
    if (set & bit) out += (out.empty() ? "" : ",") + std::string(name);
  };
  add(kDacReadSearch, "cap_dac_read_search");
  add(kSysRawio, "cap_sys_rawio");
  add(kSysAdmin, "cap_sys_admin");
  return out;
}

std::string printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

bool reportsMissingPrivileges(const std::string& output) {
  return output.find("Permission denied") != std::string::npos ||
         output.find("Operation not permitted") != std::string::npos;
}

DeviceNode inspectDevice(const std::string& path) {
  DeviceNode node;
  char resolved[PATH_MAX];
  if (!::realpath(path.c_str(), resolved)) {
    node.refusal = quoted(path) + ": " + std::strerror(errno);
    return node;
  }
  node.path = resolved;

  // Walk down from "/" without following links: a link that appeared
  // since realpath() stops the walk, and every folder on the way must be
  // one that only root can change.
  Fd dir(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  bool foldersSafe = onlyRootChanges(dir.fd);
  std::string_view rest(node.path);
  rest.remove_prefix(1);
  std::string name;
  while (true) {
    size_t slash = rest.find('/');
    name = std::string(rest.substr(0, slash));
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
    dir = Fd(::openat(dir.fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.fd < 0) {
      node.refusal = quoted(node.path) + " changed while it was checked";
      return node;
    }
    foldersSafe = foldersSafe && onlyRootChanges(dir.fd);
  }
  // O_PATH: the node is looked at, not opened, so a FIFO cannot block the
  // gate and no driver's open runs.
  Fd file(name.empty() ? -1 : ::openat(dir.fd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (file.fd < 0 || ::fstat(file.fd, &st) != 0) {
    node.refusal = quoted(node.path) + " is not a block device";
    return node;
  }
  if (!S_ISBLK(st.st_mode)) {
    node.refusal = quoted(node.path) + " is " + kindOf(st.st_mode) + ", not a block device";
    return node;
  }
  if (!foldersSafe) {
    node.refusal = quoted(node.path) + " lies in a folder that users other than root can change";
    return node;
  }
  const std::string sys =
      "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
  char link[PATH_MAX];
  ssize_t n = ::readlink(sys.c_str(), link, sizeof link - 1);
  if (n <= 0) {
    node.refusal = quoted(node.path) + " is not a disk the kernel lists in /sys/dev/block";
    return node;
  }
  if (::access((sys + "/partition").c_str(), F_OK) == 0) {
    node.refusal = quoted(node.path) + " is a partition, not a whole disk";
    return node;
  }
  std::string_view kernelName(link, static_cast<size_t>(n));
  kernelName.remove_prefix(kernelName.rfind('/') + 1);
  node.nvme = kernelName.starts_with("nvme");
  return node;
}

bool mayChangeDrives(const std::string& group) {
  if (::geteuid() == 0) return true;
  const struct group* g = ::getgrnam(group.c_str());
  if (!g) return false;
  if (::getegid() == g->gr_gid || ::getgid() == g->gr_gid) return true;
  int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<size_t>(count));
  count = ::getgroups(count, groups.data());
  return count > 0 && std::find(groups.begin(), groups.begin() + count, g->gr_gid) != groups.begin() + count;
}

Decision decide(const std::vector<std::string>& arguments, const Caller& caller, const Inspector& inspect) {
  if (arguments.empty()) return refuse("no arguments");
  if (arguments.size() > kMaxArguments) return refuse("too many arguments");
  for (const auto& a : arguments)
    if (a.size() > kMaxArgumentLength)
      return refuse("an argument of " + std::to_string(a.size()) + " bytes, longer than " +
                    std::to_string(kMaxArgumentLength));
  if (arguments == std::vector<std::string>{"-V"}) return Decision{true, "", arguments, 0};

  // Options that may precede the step, each once.
  std::string type = "auto";
  bool seen[3] = {false, false, false};
  size_t i = 0;
  const size_t stepEnd = arguments.size() - 1;
  for (; i < stepEnd; i += 2) {
    const std::string& option = arguments[i];
    int which = option == "-d" ? 0 : option == "-n" ? 1 : option == "-T" ? 2 : -1;
    if (which < 0) break;
    if (seen[which]) return refuse(quoted(option) + " given twice");
    seen[which] = true;
    if (i + 1 >= stepEnd) return refuse(quoted(option) + " without a value before the step");
    const std::string& value = arguments[i + 1];
    if (which == 0) {
      if (std::find(std::begin(kTypes), std::end(kTypes), value) == std::end(kTypes))
        return refuse("-d " + quoted(value) + " is not a device type Tarvel uses (auto, ata, sat, sat,12, sat,16, "
                      "scsi, nvme)");
      type = value;
    } else if (which == 1 && value != "standby") {
      return refuse("-n takes only \"standby\", not " + quoted(value));
    } else if (which == 2 && value != "verypermissive") {
      return refuse("-T takes only \"verypermissive\", not " + quoted(value));
    }
  }

  const Step* step = nullptr;
  for (const Step& s : steps()) {
    if (s.words.size() == stepEnd - i &&
        std::equal(s.words.begin(), s.words.end(), arguments.begin() + static_cast<ptrdiff_t>(i)))
      step = &s;
  }
  if (!step) {
    if (i == stepEnd) return refuse("no step before the device");
    return refuse(quoted(joined(arguments, i, stepEnd)) + " is not a step Tarvel builds");
  }

  const std::string& device = arguments.back();
  Decision d{true, "", std::vector<std::string>(arguments.begin(), arguments.end() - 1), 0};
  if (device == "-") {
    // A replay reaches no drive and needs no privilege.
    d.arguments.push_back(device);
    return d;
  }
  if (device.empty() || device[0] == '-') return refuse(quoted(device) + " is not a device");
  if (step->changesDrive && !caller.mayChangeDrives)
    return refuse("only root and members of the group " + quoted(caller.group) +
                  " may start or abort a self-test");

  DeviceNode node = inspect(device);
  if (!node.refusal.empty()) return refuse(node.refusal);
  d.arguments.push_back(node.path);

  d.capabilities = kDacReadSearch;
  const bool ataOrScsi = type == "auto" ? !node.nvme : type != "nvme";
  if (ataOrScsi) d.capabilities |= kSysRawio;
  // libata answers the legacy ATA ioctls of "-d ata" only with both.
  if ((node.nvme && (type == "auto" || type == "nvme")) || type == "ata") d.capabilities |= kSysAdmin;
  return d;
}

}  // namespace gate
