#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

#include "support/CrashLogSearch.h"
#include "support/CrashLogWriter.h"
#include "support/CrashReportText.h"
#include "tests/support/TestPlatform.h"

using testing_support::ScratchDir;

namespace {

// Runs `crash` in a child that has installed the writer; returns the pid.
template <class F>
pid_t crashChild(const std::string& folder, int expectedSignal, F crash) {
  pid_t pid = fork();
  if (pid == 0) {
    support::installCrashLogWriter(folder, "crashy");
    crash();
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status)) << "the child must die of the signal, not exit";
  if (WIFSIGNALED(status)) {
    EXPECT_EQ(WTERMSIG(status), expectedSignal);
  }
  return pid;
}

TEST(CrashLogWriter, WritesAFindableLogAndDiesOfTheSignal) {
  struct Case {
    int signal;
    const char* name;
    void (*crash)();
  };
  const Case cases[] = {
      {SIGSEGV, "SIGSEGV", [] { raise(SIGSEGV); }},
      {SIGABRT, "SIGABRT", [] { std::abort(); }},
      {SIGFPE, "SIGFPE", [] { raise(SIGFPE); }},
  };
  for (const auto& c : cases) {
    ScratchDir scratch;
    std::string folder = (scratch.path() / "state/Tarvel/CrashReports").string();
    pid_t pid = crashChild(folder, c.signal, c.crash);

    auto log = PXFindNewestCrashLog("crashy", folder);
    ASSERT_TRUE(log) << c.name;
    EXPECT_TRUE(std::regex_search(*log, std::regex("/crashy_\\d{4}-\\d{2}-\\d{2}-\\d{6}_[^/]+\\.crash$"))) << *log;
    auto text = support::readUtf8File(*log);
    ASSERT_TRUE(text) << c.name;
    EXPECT_NE(text->find("[" + std::to_string(pid) + "]"), std::string::npos) << *text;
    EXPECT_NE(text->find("Signal:          " + std::to_string(c.signal) + " (" + c.name + ")"), std::string::npos)
        << *text;
    EXPECT_NE(text->find("Backtrace:\n"), std::string::npos);
    // At least one frame follows the heading.
    EXPECT_GT(text->size(), text->find("Backtrace:\n") + 12);
    // One crash per file: the reader shows all of it.
    EXPECT_EQ(support::lastReportPiece(text), *text);
  }
}

TEST(CrashLogWriter, AFolderThatCannotBeMadeWritesNothingButStillDies) {
  ScratchDir scratch;
  scratch.write("blocker", "a file where the folder should be");
  std::string folder = (scratch.path() / "blocker/CrashReports").string();
  crashChild(folder, SIGSEGV, [] { raise(SIGSEGV); });
  EXPECT_EQ(PXFindNewestCrashLog("crashy", scratch.path().string()), std::nullopt);
}

}  // namespace
