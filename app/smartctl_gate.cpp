// The bundle's "smartctl": installed with the file capabilities
// cap_sys_rawio, cap_sys_admin and cap_dac_override, it runs the real
// smartctl for the
// command lines of app/SmartctlGate.h only, with a clean environment and
// those two capabilities handed to smartctl alone (ambient set); anything
// else is refused with exit status 2. Without the capabilities it still
// runs smartctl, and explains how to grant them when smartctl is denied.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/SmartctlGate.h"

namespace {

#ifdef TARVEL_GATE_TEST_BUILD
// The test build runs a stand-in "real-smartctl" from its own folder.
std::string realSmartctl() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string self = n > 0 ? std::string(buf, static_cast<size_t>(n)) : "";
  return self.substr(0, self.rfind('/') + 1) + "real-smartctl";
}
#else
std::string realSmartctl() { return "/usr/sbin/smartctl"; }
#endif

// Only what smartctl needs; the caller's environment could steer it.
char kPath[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";
char kLocale[] = "LC_ALL=C";
char* kEnvironment[] = {kPath, kLocale, nullptr};

constexpr int kRefused = 2;
// Raw ATA/SCSI commands, NVMe admin commands, and opening a disk node
// that belongs to root:disk (0660) for a user outside the "disk" group.
constexpr unsigned kWanted[] = {CAP_SYS_RAWIO, CAP_SYS_ADMIN, CAP_DAC_OVERRIDE};
constexpr size_t kWantedCount = sizeof kWanted / sizeof kWanted[0];

struct Caps {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  bool has(unsigned cap, bool permitted) const {
    uint32_t set = permitted ? data[cap / 32].permitted : data[cap / 32].effective;
    return set & (1u << (cap % 32));
  }
  void set(unsigned cap, bool permitted, bool effective, bool inheritable) {
    uint32_t bit = 1u << (cap % 32);
    auto& d = data[cap / 32];
    d.permitted = permitted ? d.permitted | bit : d.permitted & ~bit;
    d.effective = effective ? d.effective | bit : d.effective & ~bit;
    d.inheritable = inheritable ? d.inheritable | bit : d.inheritable & ~bit;
  }
};

bool getCaps(Caps& c) { return ::syscall(SYS_capget, &c.header, c.data) == 0; }
bool setCaps(Caps& c) { return ::syscall(SYS_capset, &c.header, c.data) == 0; }

// Keeps at most the wanted capabilities, none inheritable, nothing
// ambient: whatever the caller passed in does not flow on.
bool narrowCapabilities(bool& privileged) {
  ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
  Caps c;
  if (!getCaps(c)) return false;
  bool keep[kWantedCount];
  for (size_t i = 0; i < kWantedCount; ++i) keep[i] = c.has(kWanted[i], true);
  c.data[0] = c.data[1] = {};
  for (size_t i = 0; i < kWantedCount; ++i) c.set(kWanted[i], keep[i], keep[i], false);
  privileged = keep[0];
  return setCaps(c);
}

// Makes the kept capabilities ambient so that the exec'd smartctl (which
// has no file capabilities) receives them.
void handCapabilitiesToChild() {
  Caps c;
  if (!getCaps(c)) return;
  for (unsigned cap : kWanted)
    if (c.has(cap, true)) c.set(cap, true, true, true);
  if (!setCaps(c)) return;
  for (unsigned cap : kWanted)
    if (c.has(cap, true)) ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_RAISE, cap, 0, 0);
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

// Unprivileged: run smartctl as a child, pass its output on, and add a
// plain explanation when it was denied the disk.
int runAndExplain(const std::string& program, std::vector<std::string>& args) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return 1;
  pid_t pid = ::fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    auto v = argv(program, args);
    ::execve(program.c_str(), v.data(), kEnvironment);
    std::fprintf(stderr, "smartctl gate: cannot run %s: %s\n", program.c_str(), std::strerror(errno));
    _exit(127);
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
    std::string hint =
        "\nTarvel: smartctl was not allowed to open the disk. Tarvel's smartctl (" + selfPath() +
        ") has not been given the capabilities to read disks. Install Tarvel with "
        "`sudo cmake --install build`, which grants them, or grant them by hand: "
        "`sudo setcap cap_sys_rawio,cap_sys_admin,cap_dac_override+ep '" + selfPath() + "'`.\n";
    writeAll(STDOUT_FILENO, hint.data(), hint.size());
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

}  // namespace

int main(int argc, char** argv_) {
  bool privileged = false;
  bool narrowed = narrowCapabilities(privileged);
  if (::geteuid() == 0) privileged = true;

  std::vector<std::string> args(argv_ + 1, argv_ + argc);
  gate::Decision d = gate::decide(args, gate::resolveDevice);
  if (!d.allowed) {
    std::fprintf(stderr,
                 "smartctl gate: refused: %s.\nTarvel runs smartctl only with its own read-only command lines, "
                 "on a whole disk (/dev/sdX, /dev/nvmeN, /dev/nvmeNnM, /dev/vdX, /dev/hdX, /dev/mmcblkN) or \"-\".\n",
                 d.reason.c_str());
    return kRefused;
  }
  std::string program = realSmartctl();
  ::close_range(3, ~0u, 0);
  if (!privileged || !narrowed) return runAndExplain(program, d.arguments);
  if (::geteuid() != 0) handCapabilitiesToChild();
  auto v = argv(program, d.arguments);
  ::execve(program.c_str(), v.data(), kEnvironment);
  std::fprintf(stderr, "smartctl gate: cannot run %s: %s\n", program.c_str(), std::strerror(errno));
  return 127;
}
