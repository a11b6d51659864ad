#include "tests/support/TestPlatform.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace testing_support {

ScratchDir::ScratchDir() {
  std::string tmpl = (fs::temp_directory_path() / "tarvel-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path ScratchDir::write(const std::string& name, const std::string& contents, bool executable) const {
  fs::path p = path_ / name;
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << contents;
  if (executable) fs::permissions(p, fs::perms::owner_all, fs::perm_options::add);
  return p;
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

EnvironmentScope::EnvironmentScope(const std::map<std::string, std::string>& values) {
  for (const auto& [key, value] : values) {
    const char* old = std::getenv(key.c_str());
    saved_[key] = old ? std::optional<std::string>(old) : std::nullopt;
    if (value.empty()) unsetenv(key.c_str());
    else setenv(key.c_str(), value.c_str(), 1);
  }
}

EnvironmentScope::~EnvironmentScope() {
  for (const auto& [key, value] : saved_) {
    if (value) setenv(key.c_str(), value->c_str(), 1);
    else unsetenv(key.c_str());
  }
}

PlatformTest::PlatformTest() : mem(platform::memory::makePlatform(scratch.path().string())) {
  platform::install(mem.platform);
}

namespace {
std::string keyFor(const std::vector<std::string>& args) {
  std::string key;
  for (const auto& a : args) key += (key.empty() ? "" : " ") + a;
  std::string file;
  for (char c : key) file += (c == ' ' || c == '/') ? '_' : c;
  return file.empty() ? "_noargs" : file;
}
}  // namespace

FakeSmartctl::FakeSmartctl(const fs::path& root) : bundle_(root / "Fake.app") {
  fs::create_directories(bundle_ / "Contents/MacOS");
  fs::create_directories(bundle_ / "answers");
  fs::path script = bundle_ / "Contents/MacOS/smartctl";
  // A disk is awake unless an answer is prepared with "-n standby": it then
  // answers as if the option were not there, and calls.log leaves it out.
  std::ofstream(script) << "#!/bin/sh\n"
                           "dir=\"$(dirname \"$0\")/../../answers\"\n"
                           "awake=$(printf '%s' \"$*\" | sed 's/^-n standby //; s/ -n standby / /')\n"
                           "printf '%s\\n' \"$awake\" >> \"$dir/../calls.log\"\n"
                           "key=$(printf '%s' \"$*\" | tr ' /' '__')\n"
                           "[ -f \"$dir/$key\" ] || key=$(printf '%s' \"$awake\" | tr ' /' '__')\n"
                           "[ -n \"$key\" ] || key=_noargs\n"
                           "if [ -f \"$dir/$key.hang\" ]; then sleep 3600 & "
                           "echo \"$$ $!\" >> \"$dir/../hung.pids\"; wait; fi\n"
                           "if [ -f \"$dir/$key\" ]; then cat \"$dir/$key\"; "
                           "exit $(cat \"$dir/$key.status\" 2>/dev/null || echo 0); fi\n"
                           "[ -f \"$dir/default\" ] && cat \"$dir/default\"\n"
                           "exit 0\n";
  fs::permissions(script, fs::perms::owner_all, fs::perm_options::add);
}

void FakeSmartctl::answer(const std::vector<std::string>& args, const std::string& text, int exitStatus) {
  std::ofstream(bundle_ / "answers" / keyFor(args), std::ios::binary) << text;
  std::ofstream(bundle_ / "answers" / (keyFor(args) + ".status")) << exitStatus;
}

void FakeSmartctl::hang(const std::vector<std::string>& args) {
  std::ofstream(bundle_ / "answers" / (keyFor(args) + ".hang"));
}

std::vector<pid_t> FakeSmartctl::hungProcesses() const { return pidsInFile(bundle_ / "hung.pids"); }

std::vector<pid_t> pidsInFile(const fs::path& file) {
  std::vector<pid_t> pids;
  std::ifstream in(file);
  for (long pid; in >> pid;) pids.push_back(static_cast<pid_t>(pid));
  return pids;
}

bool processEnded(pid_t pid, int limitMs) {
  auto ended = [pid] {
    // A killed child that no one has reaped yet is over too.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string all;
    if (!std::getline(stat, all)) return true;
    size_t close = all.rfind(')');
    return close != std::string::npos && close + 2 < all.size() && all[close + 2] == 'Z';
  };
  for (int waited = 0; !ended() && waited < limitMs; waited += 20) ::usleep(20000);
  if (ended()) return true;
  ::kill(pid, SIGKILL);
  return false;
}

void FakeSmartctl::defaultAnswer(const std::string& text) {
  std::ofstream(bundle_ / "answers" / "default", std::ios::binary) << text;
}

std::vector<std::string> FakeSmartctl::calls() const {
  std::vector<std::string> out;
  std::ifstream in(bundle_ / "calls.log");
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::string banner() {
  return "smartctl 7.3 2022-02-28 r5338 [x86_64-linux-6.1.0] (local build)\n"
         "Copyright (C) 2002-22, Bruce Allen, Christian Franke, www.smartmontools.org\n\n";
}

fs::path sourceDir() { return TARVEL_SOURCE_DIR; }
fs::path buildDir() { return TARVEL_BUILD_DIR; }

}  // namespace testing_support
