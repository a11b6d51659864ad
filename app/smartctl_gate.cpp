// The bundle's "smartctl": installed with the file capabilities
// TARVEL_GATE_CAPABILITIES, it runs /usr/sbin/smartctl for the command
// lines of app/cli/SmartctlGate.h only, with a clean environment and no more
// capabilities than the line needs, handed to smartctl alone (ambient set,
// no new privileges). Anything else is refused with exit status 2, for
// root as for anyone. Without the capabilities it still runs smartctl, and
// explains how to grant them when smartctl is denied a disk.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/cli/SmartctlGate.h"
#include "app/cli/GateMark.h"

namespace {

constexpr const char* kSmartctl = cli::kRealSmartctl;
constexpr int kRefused = 2;
[[gnu::used]] const char kMark[] = TARVEL_GATE_MARK;

char* kEnvironment[] = {const_cast<char*>(cli::kSmartctlEnvironment[0]),
                        const_cast<char*>(cli::kSmartctlEnvironment[1]), nullptr};

struct Known {
  gate::Capability bit;
  unsigned cap;
};
constexpr Known kKnown[] = {
    {gate::kDacReadSearch, CAP_DAC_READ_SEARCH}, {gate::kSysRawio, CAP_SYS_RAWIO}, {gate::kSysAdmin, CAP_SYS_ADMIN}};

struct Caps {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  bool permitted(unsigned cap) const { return data[cap / 32].permitted & (1u << (cap % 32)); }
  void add(unsigned cap) {
    const uint32_t bit = 1u << (cap % 32);
    data[cap / 32].permitted |= bit;
    data[cap / 32].effective |= bit;
    data[cap / 32].inheritable |= bit;
  }
};

bool getCaps(Caps& c) { return ::syscall(SYS_capget, &c.header, c.data) == 0; }
bool setCaps(Caps& c) { return ::syscall(SYS_capset, &c.header, c.data) == 0; }

// Of the capabilities the gate knows, those this process may use.
gate::Capabilities held() {
  Caps c;
  if (!getCaps(c)) return 0;
  gate::Capabilities set = 0;
  for (const Known& k : kKnown)
    if (c.permitted(k.cap)) set |= k.bit;
  return set;
}

// Until the line is judged, no capability is in effect and none can be
// passed on: the device is resolved and inspected with the caller's own
// rights, so the gate tells nothing about places the caller cannot see.
bool suspend() {
  if (::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0) return false;
  Caps c;
  if (!getCaps(c)) return false;
  for (auto& d : c.data) d.effective = d.inheritable = 0;
  return setCaps(c);
}

// Keeps exactly `keep` (permitted, effective, inheritable and ambient) and
// forbids gaining more through exec, so that the exec'd smartctl holds
// `keep` and nothing else: a user's file capabilities arrive through the
// ambient set, and root's full set is cut down to `keep` by no_new_privs.
bool keepOnly(gate::Capabilities keep) {
  Caps c;
  for (const Known& k : kKnown)
    if (keep & k.bit) c.add(k.cap);
  if (!setCaps(c)) return false;
  for (const Known& k : kKnown)
    if ((keep & k.bit) && ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_RAISE, k.cap, 0, 0) != 0) return false;
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
}

// A caller may start the gate with standard descriptors closed, so that
// the device smartctl opens would take their place.
void openStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF && ::open("/dev/null", O_RDWR) < 0) _exit(1);
}

std::vector<char*> argv(const std::string& program, std::vector<std::string>& args) {
  std::vector<char*> v;
  v.push_back(const_cast<char*>(program.c_str()));
  for (auto& a : args) v.push_back(a.data());
  v.push_back(nullptr);
  return v;
}

void writeAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;
    p += w;
    n -= static_cast<size_t>(w);
  }
}

std::string selfPath() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : "smartctl";
}

// Three lines, so that Tarvel's drive record takes the third, with
// " failed: " in it, as smartctl's error message and shows it.
void printRefusal(const std::string& reason) {
  std::string text = "Tarvel smartctl gate: refused.\n"
                     "It runs smartctl only with the command lines Tarvel builds, on whole disks (see \"The "
                     "smartctl gate\" in Tarvel's README); run " +
                     std::string(kSmartctl) + " as root for anything else.\nCheck failed: " +
                     gate::printable(reason) + ".\n";
  writeAll(STDERR_FILENO, text.data(), text.size());
}

[[noreturn]] void exec(std::vector<std::string>& args) {
  auto v = argv(kSmartctl, args);
  ::execve(kSmartctl, v.data(), kEnvironment);
  std::fprintf(stderr, "smartctl gate: cannot run %s: %s\n", kSmartctl, std::strerror(errno));
  _exit(127);
}

// Without all the capabilities the line needs: run smartctl as a child,
// pass its output on, and add a plain explanation when it was denied.
int runAndExplain(std::vector<std::string>& args) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return 1;
  pid_t pid = ::fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    exec(args);
  }
  ::close(fds[1]);
  std::string output;
  char buf[8192];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    writeAll(STDOUT_FILENO, buf, static_cast<size_t>(n));
    if (output.size() < (1u << 20)) output.append(buf, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (gate::reportsMissingPrivileges(output)) {
    const std::string self = selfPath();
    std::string hint = "\nTarvel: smartctl was not allowed to open the disk. Tarvel's smartctl (" + self +
                       ") has not been given the capabilities to read disks. Install Tarvel with "
                       "`sudo cmake --install build`, which grants them, or grant them by hand: "
                       "`sudo setcap " TARVEL_GATE_CAPABILITIES "+ep '" + self + "'`.\n";
    writeAll(STDOUT_FILENO, hint.data(), hint.size());
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// File capabilities make the gate undumpable, and LeakSanitizer cannot stop
// an undumpable process to look for leaks (sanitizer builds only).
extern "C" int __lsan_is_turned_off() { return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0; }
#endif

int main(int argc, char** argv_) {
  openStandardDescriptors();
  const gate::Capabilities available = held();
  if (!suspend()) {
    std::fprintf(stderr, "smartctl gate: cannot set its capabilities: %s\n", std::strerror(errno));
    return 1;
  }

  const std::string group = TARVEL_GATE_SELFTEST_GROUP;
  std::vector<std::string> args(argv_ + 1, argv_ + argc);
  gate::Decision d = gate::decide(args, gate::Caller{gate::mayChangeDrives(group), group}, gate::inspectDevice);
  if (!d.allowed) {
    printRefusal(d.reason);
    return kRefused;
  }
  ::close_range(3, ~0u, 0);
  const gate::Capabilities granted = d.capabilities & available;
  if (!keepOnly(granted)) {
    std::fprintf(stderr, "smartctl gate: cannot set its capabilities: %s\n", std::strerror(errno));
    return 1;
  }
  if (granted != d.capabilities) return runAndExplain(d.arguments);
  exec(d.arguments);
}
