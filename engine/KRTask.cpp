#include "engine/KRTask.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>

#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/Utf8.h"

extern char** environ;

namespace {

std::atomic<double> gDefaultTimeLimit{600.0};

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

using Clock = std::chrono::steady_clock;

// The child, reaped at most once.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    // Never leave a zombie or a runaway child behind, whatever path we left by.
    if (!reaped_) {
      ::kill(pid_, SIGKILL);
      wait(true);
    }
  }

  bool running() { return !wait(false); }

  // Waits for the end; false when `block` is off and the child still runs.
  bool wait(bool block) {
    if (reaped_) return true;
    int status = 0;
    pid_t r;
    do {
      r = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0) return false;
    reaped_ = true;
    if (r < 0) status_ = -SIGKILL;
    else if (WIFSIGNALED(status)) status_ = -WTERMSIG(status);
    else status_ = WEXITSTATUS(status);
    return true;
  }

  void kill() { ::kill(pid_, SIGKILL); }
  int status() const { return status_; }

 private:
  pid_t pid_;
  bool reaped_ = false;
  int status_ = 0;
};

}  // namespace

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

  std::vector<std::string> args = arguments.value_or(std::vector<std::string>{});
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = -1;
  int rc = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw platform::Exception("LaunchException", "cannot run " + path + ": " + std::strerror(rc));
  Child child(pid);
  writeEnd.reset();
  input.reset();

  const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(timeLimit_));
  std::string output;
  output.reserve(100);
  bool shortChunkSeen = false;
  bool timedOut = false;
  bool atEnd = false;
  char buf[4096];

  // Reads one chunk as the pipe offers it; false on invalid UTF-8.
  auto readChunk = [&](bool block, bool& gotAny) -> bool {
    gotAny = false;
    pollfd p{readEnd.fd, POLLIN, 0};
    int waitMs = 0;
    if (block) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) {
        timedOut = true;
        return true;
      }
      waitMs = left > 1000000 ? 1000000 : static_cast<int>(left);
    }
    int pr = ::poll(&p, 1, waitMs);
    if (pr < 0 && errno == EINTR) return true;
    if (pr == 0) {
      if (block && Clock::now() >= deadline) timedOut = true;
      return true;
    }
    ssize_t n = ::read(readEnd.fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) return true;
    gotAny = true;
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

  bool valid = true;
  while (valid && !timedOut) {
    bool got = false;
    if (atEnd) {
      // Nothing more can come; only the child's end is left to wait for.
      if (!child.running()) break;
      auto left = deadline - Clock::now();
      if (left <= Clock::duration::zero()) {
        timedOut = true;
        break;
      }
      ::usleep(2000);
      continue;
    }
    valid = readChunk(true, got);
    if (!valid || !got || !shortChunkSeen) continue;
    if (!child.running()) {
      // Whatever the child wrote before it ended is already in the pipe.
      while (valid && !atEnd) {
        valid = readChunk(false, got);
        if (!got) break;
      }
      break;
    }
  }

  if (timedOut) {
    child.kill();
    child.wait(true);
    platform::log(platform::format("Stopped %@ after %d seconds without an answer.", path,
                                   static_cast<int>(timeLimit_)));
    errorCode_ = -SIGKILL;
    return std::nullopt;
  }
  if (!valid) {
    // The answer is unusable; closing our end lets a chatty child end at once.
    readEnd.reset();
    while (!child.wait(false) && Clock::now() < deadline) ::usleep(2000);
    return std::nullopt;
  }
  child.wait(true);
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
