#include "engine/KRTask.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <mutex>

#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/Utf8.h"

extern char** environ;

namespace {

std::atomic<double> gDefaultTimeLimit{600.0};
thread_local std::shared_ptr<KRTask::Cancellation> tCancellation;

using Clock = std::chrono::steady_clock;
// A killed child ends within milliseconds unless it waits for a disk that
// no longer answers; then it cannot be reaped at all, and waiting longer
// only stalls the caller.
constexpr auto kReapLimit = std::chrono::seconds(1);

// Closes a descriptor when it goes out of scope.
struct Fd {
  int fd = -1;
  Fd() = default;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }
  void reset() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
};

// Children killed but not yet reaped, reaped by later runs once they end.
std::mutex gLeftMutex;
std::vector<pid_t> gLeftBehind;

void reapLeftBehind() {
  std::lock_guard lock(gLeftMutex);
  std::erase_if(gLeftBehind, [](pid_t pid) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    return r == pid || (r < 0 && errno == ECHILD);
  });
}

// The process groups of the runs under way, for killRunning in a signal
// handler: fixed slots, lock-free.
constexpr size_t kSlots = KRTask::kMaxRunning;
std::atomic<pid_t> gRunning[kSlots];

void track(pid_t pid) {
  for (auto& slot : gRunning) {
    pid_t none = 0;
    if (slot.compare_exchange_strong(none, pid)) return;
  }
}

void untrack(pid_t pid) {
  for (auto& slot : gRunning) {
    pid_t mine = pid;
    if (slot.compare_exchange_strong(mine, 0)) return;
  }
}

// A pidfd of the child (glibc's own wrapper lacks C linkage in Debian 12's
// headers); -1 where the kernel has none.
int openExitFd(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

// The child, the leader of a process group of its own, reaped at most once.
class Child {
 public:
  Child(pid_t pid, std::string program) : pid_(pid), program_(std::move(program)), exitFd_(openExitFd(pid)) {
    track(pid_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    // Never leave a runaway child behind, whatever path we left by.
    if (!reaped_) stop();
    if (exitFd_ >= 0) ::close(exitFd_);
  }

  // Readable once the child has ended; -1 where the kernel has no pidfd
  // (before Linux 5.3), and then the caller looks again every few ms.
  int exitFd() const { return exitFd_; }

  // Reaps the child if it has ended; true once it has.
  bool ended() {
    if (reaped_) return true;
    int status = 0;
    pid_t r;
    do {
      r = ::waitpid(pid_, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0) return false;
    if (r < 0) status_ = -SIGKILL;
    else if (WIFSIGNALED(status)) status_ = -WTERMSIG(status);
    else status_ = WEXITSTATUS(status);
    reaped_ = true;
    untrack(pid_);
    return true;
  }

  // Kills the run's whole process group (the gate and the smartctl it
  // started, a script and its children) and reaps the child, waiting a
  // bounded time; a child that does not end is left behind and logged.
  void stop() {
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    const auto limit = Clock::now() + kReapLimit;
    while (!ended()) {
      if (Clock::now() >= limit) {
        platform::log(platform::format("%@ (process %d) did not end when it was killed, most likely waiting for a "
                                       "disk that does not answer; it is left behind.",
                                       program_, static_cast<int>(pid_)));
        {
          std::lock_guard lock(gLeftMutex);
          gLeftBehind.push_back(pid_);
        }
        untrack(pid_);
        reaped_ = true;
        status_ = -SIGKILL;
        return;
      }
      ::usleep(2000);
    }
  }

  int status() const { return status_; }

 private:
  pid_t pid_;
  std::string program_;
  int exitFd_;
  bool reaped_ = false;
  int status_ = 0;
};

int millisecondsUntil(Clock::time_point deadline, int cap) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count() + 1;
  return static_cast<int>(std::clamp<long long>(left, 0, cap));
}

}  // namespace

KRTask::Cancellation::Cancellation() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

KRTask::Cancellation::~Cancellation() {
  if (fd_ >= 0) ::close(fd_);
}

void KRTask::Cancellation::cancel() {
  uint64_t one = 1;
  // Stays readable: nobody reads the counter back.
  [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
}

bool KRTask::Cancellation::cancelled() const {
  pollfd p{fd_, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0;
}

void KRTask::setThreadCancellation(std::shared_ptr<Cancellation> cancellation) {
  tCancellation = std::move(cancellation);
}

size_t KRTask::childrenLeftBehind() {
  reapLeftBehind();
  std::lock_guard lock(gLeftMutex);
  return gLeftBehind.size();
}

void KRTask::setDefaultTimeLimit(double seconds) { gDefaultTimeLimit = seconds; }
double KRTask::defaultTimeLimit() { return gDefaultTimeLimit; }

logs::OutputLines KRTask::splitLines(const std::string& output) {
  size_t first = output.find('\n');
  if (first == std::string::npos) throw platform::rangeError("output holds no line feed");
  logs::OutputLines lines;
  lines.push_back(output.substr(0, first));
  size_t i = first + 1;
  while (i < output.size()) {
    // The character at i belongs to the line even when it is a line feed.
    size_t lf = output.find('\n', i + 1);
    if (lf == std::string::npos) break;
    size_t start = i;
    while (start < lf && (output[start] == '\t' || output[start] == '\n' || output[start] == '\r')) ++start;
    if (start < lf) lines.push_back(output.substr(start, lf - start));
    i = lf + 1;
  }
  return lines;
}

std::optional<logs::OutputLines> KRTask::parseCommandLine(const std::string& path,
                                                          const std::optional<std::vector<std::string>>& arguments) {
  reapLeftBehind();
  const std::shared_ptr<Cancellation> cancellation = tCancellation;
  if (cancellation && cancellation->cancelled()) {
    cancelled_ = true;
    errorCode_ = -SIGKILL;
    return std::nullopt;
  }

  Fd input;
  if (filePath_) {
    input.fd = ::open(filePath_->c_str(), O_RDONLY | O_CLOEXEC);
    if (input.fd < 0)
      throw platform::Exception("FileReadException", "cannot read " + *filePath_ + ": " + std::strerror(errno));
  } else {
    // Children never read the user's terminal.
    input.fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  }

  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0)
    throw platform::Exception("LaunchException", std::string("cannot create a pipe: ") + std::strerror(errno));
  Fd readEnd(fds[0]), writeEnd(fds[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input.fd, 0);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 1);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 2);
  // A group of its own, so that stopping the run reaches whatever the
  // child started (the gate runs smartctl as its own child).
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);

  std::vector<std::string> args = arguments.value_or(std::vector<std::string>{});
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  if (environment_) {
    for (auto& e : *environment_) envp.push_back(e.data());
    envp.push_back(nullptr);
  }

  pid_t pid = -1;
  int rc = ::posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environment_ ? envp.data() : environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) throw platform::Exception("LaunchException", "cannot run " + path + ": " + std::strerror(rc));
  Child child(pid, path);
  writeEnd.reset();
  input.reset();

  const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(std::max(timeLimit_, 0.0)));
  std::string output;
  output.reserve(100);
  bool shortChunkSeen = false;
  bool atEnd = false;
  bool valid = true;
  enum class Stop { No, TimedOut, Cancelled } stop = Stop::No;
  char buf[4096];

  // Appends one chunk as the pipe offers it; false when it is not UTF-8.
  auto take = [&](ssize_t n) {
    if (n <= 0) {
      atEnd = true;
      n = 0;
    }
    auto units = platform::utf16Length(std::string_view(buf, static_cast<size_t>(n)));
    if (!units) return false;
    output.append(buf, static_cast<size_t>(n));
    if (*units < 4096) shortChunkSeen = true;
    return true;
  };

  // Takes what is already in the pipe; false when it is not UTF-8.
  auto drain = [&] {
    while (!atEnd) {
      pollfd now{readEnd.fd, POLLIN, 0};
      if (::poll(&now, 1, 0) <= 0) return true;
      ssize_t n = ::read(readEnd.fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (!take(n)) return false;
    }
    return true;
  };

  // One poll wakes us only for news: output, the child's end (its pidfd)
  // or a cancellation. Without a pidfd the end is looked for once output
  // slows down, and every 2 ms once the pipe is closed.
  while (true) {
    if (Clock::now() >= deadline) {
      stop = Stop::TimedOut;
      break;
    }
    const int exitFd = child.exitFd();
    pollfd p[3] = {{atEnd ? -1 : readEnd.fd, POLLIN, 0},
                   {exitFd, POLLIN, 0},
                   {cancellation ? cancellation->fd() : -1, POLLIN, 0}};
    ::poll(p, 3, millisecondsUntil(deadline, exitFd < 0 && atEnd ? 2 : 1000000));
    if (p[2].revents & POLLIN) {
      stop = Stop::Cancelled;
      break;
    }
    if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      ssize_t n = ::read(readEnd.fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (!(valid = take(n))) break;
    }
    const bool mayHaveEnded = exitFd >= 0 ? (p[1].revents & POLLIN) != 0 : (atEnd || shortChunkSeen);
    // Whatever the child wrote before it ended is already in the pipe.
    if (mayHaveEnded && child.ended()) {
      valid = drain();
      break;
    }
  }

  if (stop != Stop::No || !valid) {
    // The answer is unusable or will not come: end the run at once.
    readEnd.reset();
    child.stop();
    if (stop == Stop::TimedOut) {
      timedOut_ = true;
      errorCode_ = -SIGKILL;
      platform::log(platform::format("Stopped %@ after %@ seconds without an answer.", path, timeLimit_));
    } else if (stop == Stop::Cancelled) {
      cancelled_ = true;
      errorCode_ = -SIGKILL;
    }
    return std::nullopt;
  }
  if (child.status() < 0) {
    errorCode_ = child.status();
    return std::nullopt;
  }
  if (rawDataPath_) {
    std::ofstream out(*rawDataPath_, std::ios::binary | std::ios::trunc);
    if (out) out.write(output.data(), static_cast<std::streamsize>(output.size()));
    return std::nullopt;
  }
  return splitLines(output);
}

void KRTask::killRunning() {
  for (auto& slot : gRunning) {
    pid_t pid = slot.load();
    if (pid > 0) {
      ::kill(-pid, SIGKILL);
      ::kill(pid, SIGKILL);
    }
  }
}
