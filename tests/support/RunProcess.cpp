#include "tests/support/RunProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "tests/support/TestPlatform.h"

extern char** environ;

namespace testing_support {

namespace {

// An anonymous file: no pipes to fill up, nothing left on disk.
int memoryFile(const std::string& contents) {
  int fd = memfd_create("tarvel-test", MFD_CLOEXEC);
  if (fd < 0) throw std::runtime_error("memfd_create failed");
  if (!contents.empty() && write(fd, contents.data(), contents.size()) != static_cast<ssize_t>(contents.size()))
    throw std::runtime_error("write failed");
  lseek(fd, 0, SEEK_SET);
  return fd;
}

std::string readAll(int fd) {
  lseek(fd, 0, SEEK_SET);
  std::string out;
  char buf[8192];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  close(fd);
  return out;
}

// Everything is prepared before fork: the child only redirects and execs.
pid_t spawn(const std::vector<std::string>& argv, const Environment& env, int in, int out, int err, int fd3) {
  Environment merged;
  for (char** e = environ; *e; ++e) {
    std::string kv = *e;
    auto eq = kv.find('=');
    if (eq != std::string::npos) merged[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  for (const auto& [k, v] : env) {
    if (v.empty()) merged.erase(k);
    else merged[k] = v;
  }
  std::vector<std::string> envStrings, argStrings = argv;
  for (const auto& [k, v] : merged) envStrings.push_back(k + "=" + v);
  std::vector<char*> envp, args;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  for (auto& s : argStrings) args.push_back(s.data());
  args.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (fd3 == 3) fcntl(3, F_SETFD, 0);
    else if (fd3 >= 0) dup2(fd3, 3);
    execve(args[0], args.data(), envp.data());
    _exit(127);
  }
  return pid;
}

int statusOf(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw); }

// Waits up to `limit` for `pid` to end; false when it still runs.
bool reap(pid_t pid, std::chrono::milliseconds limit, int& status) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int raw = 0;
    if (waitpid(pid, &raw, WNOHANG) == pid) {
      status = statusOf(raw);
      return true;
    }
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void kill9AndReap(pid_t pid, int& status) {
  kill(pid, SIGKILL);
  int raw = 0;
  waitpid(pid, &raw, 0);
  status = 128 + SIGKILL;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input, const Environment& env,
                         int limitSeconds) {
  int in = memoryFile(input), out = memoryFile(""), err = memoryFile("");
  pid_t pid = spawn(argv, env, in, out, err, -1);
  close(in);
  ProcessResult r;
  if (!reap(pid, std::chrono::seconds(limitSeconds), r.status)) kill9AndReap(pid, r.status);
  r.out = readAll(out);
  r.err = readAll(err);
  return r;
}

Child::Child(const std::vector<std::string>& argv, const Environment& env, fs::path log, std::optional<fs::path> fd3,
             const fs::path& input)
    : log_(std::move(log)) {
  const int out = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int extra = fd3 ? ::open(fd3->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
  const int in = ::open(input.c_str(), O_RDONLY | O_CLOEXEC);
  pid_ = spawn(argv, env, in, out, out, extra);
  for (int fd : {out, extra, in})
    if (fd >= 0) ::close(fd);
}

Child::~Child() { stop(); }

bool Child::running() {
  if (status_ || pid_ <= 0) return false;
  int status = 0;
  if (!reap(pid_, std::chrono::milliseconds(0), status)) return true;
  status_ = status;
  return false;
}

std::optional<int> Child::exitStatus() {
  running();
  return status_;
}

void Child::stop() {
  if (!running()) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  if (!reap(pid_, std::chrono::seconds(5), status)) kill9AndReap(pid_, status);
  status_ = status;
}

std::string Child::output() const { return readFile(log_); }

std::string Child::firstLine(const fs::path& file, int limitMs) {
  for (int waited = 0;; waited += 10) {
    const std::string text = readFile(file);
    if (text.find('\n') != std::string::npos) return text.substr(0, text.find('\n'));
    if (waited >= limitMs || !running()) return "";
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::vector<std::string> nulSeparated(const fs::path& file) {
  std::vector<std::string> words;
  const std::string all = readFile(file);
  for (size_t at = 0, end; (end = all.find('\0', at)) != std::string::npos; at = end + 1)
    words.push_back(all.substr(at, end - at));
  return words;
}

}  // namespace testing_support
