#include "tests/support/RunProcess.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

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

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input,
                         const std::map<std::string, std::string>& env) {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e; ++e) {
    std::string kv = *e;
    auto eq = kv.find('=');
    if (eq != std::string::npos) merged[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  for (const auto& [k, v] : env) {
    if (v.empty())
      merged.erase(k);
    else
      merged[k] = v;
  }
  std::vector<std::string> envStrings;
  for (const auto& [k, v] : merged) envStrings.push_back(k + "=" + v);
  std::vector<char*> envp, args;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argvCopy = argv;
  for (auto& s : argvCopy) args.push_back(s.data());
  args.push_back(nullptr);

  int in = memoryFile(input), out = memoryFile(""), err = memoryFile("");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execve(args[0], args.data(), envp.data());
    _exit(127);
  }
  close(in);
  int status = 0;
  waitpid(pid, &status, 0);
  ProcessResult r;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = readAll(out);
  r.err = readAll(err);
  return r;
}

}  // namespace testing_support
