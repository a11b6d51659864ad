#include "engine/KRTask.h"

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "platform/Exception.h"
#include "tests/support/TestPlatform.h"

using testing_support::PlatformTest;
using testing_support::readFile;

struct SplitCase {
  const char* name;
  std::string output;
  logs::OutputLines lines;
};

TEST(KRTaskSplit, LineRules) {
  const SplitCase cases[] = {
      {"empty lines after line 0 dropped", "A\n\nB\n", {"A", "B"}},
      {"unterminated last line dropped", "A\nB", {"A"}},
      {"empty line 0 kept", "\nB\n", {"", "B"}},
      {"leading tab removed", "A\n\tB\n", {"A", "B"}},
      {"leading spaces kept", "A\n  B\n", {"A", "  B"}},
      {"CR kept at the end", "A\r\nB\r\n", {"A\r", "B\r"}},
      {"line 0 keeps its tabs", "\tA\n", {"\tA"}},
      {"only line 0", "A\n", {"A"}},
      {"lines of only tabs and CRs vanish", "A\n\t\r\n\tB\n", {"A", "B"}},
  };
  for (const auto& c : cases) EXPECT_EQ(KRTask::splitLines(c.output), c.lines) << c.name;
}

TEST(KRTaskSplit, NoLineFeedIsARangeFailure) {
  EXPECT_THROW(KRTask::splitLines(""), platform::Exception);
  EXPECT_THROW(KRTask::splitLines("no newline"), platform::Exception);
}

class KRTaskRun : public PlatformTest {
 protected:
  std::optional<logs::OutputLines> sh(const std::string& script, KRTask& task) {
    return task.parseCommandLine("/bin/sh", std::vector<std::string>{"-c", script});
  }
};

TEST_F(KRTaskRun, WhatTheRunGivesBack) {
  struct Case {
    const char* script;
    std::optional<logs::OutputLines> lines;
    int errorCode;
  } cases[] = {
      {"echo one; echo two >&2; echo three", logs::OutputLines{"one", "two", "three"}, 0},  // one pipe for both
      {"echo a; echo b; exit 4", logs::OutputLines{"a", "b"}, 0},
      {"printf 'ok\\n\\377\\n'", std::nullopt, 0},  // not UTF-8
      // The first byte of "é" arrives, then the second after a pause.
      {"printf 'x\\n\\303'; sleep 0.3; printf '\\251\\n'", std::nullopt, 0},
      {"echo before; kill -9 $$", std::nullopt, -SIGKILL},
  };
  for (const auto& c : cases) {
    KRTask task;
    EXPECT_EQ(sh(c.script, task), c.lines) << c.script;
    EXPECT_EQ(task.getErrorCode(), c.errorCode) << c.script;
  }
}

TEST_F(KRTaskRun, NothingPrintedAMissingProgramOrAnUnreadableInputThrow) {
  KRTask task;
  EXPECT_THROW(sh("true", task), platform::Exception);
  EXPECT_THROW(task.parseCommandLine("/nonexistent/smartctl", std::nullopt), platform::Exception);
  task.setReadFromFilePath((scratch.path() / "missing.trdr").string());
  EXPECT_THROW(sh("cat", task), platform::Exception);
}

TEST_F(KRTaskRun, InputComesFromTheFile) {
  auto input = scratch.write("in.txt", "first\nsecond\n");
  KRTask task;
  task.setReadFromFilePath(input.string());
  auto lines = task.parseCommandLine("/bin/cat", std::nullopt);
  ASSERT_TRUE(lines);
  EXPECT_EQ(*lines, (logs::OutputLines{"first", "second"}));
}

TEST_F(KRTaskRun, ArgumentsArriveUnchangedWithoutAShell) {
  KRTask task;
  auto lines = task.parseCommandLine("/usr/bin/printf", std::vector<std::string>{"%s|%s\\n", "a b", "$HOME;*"});
  ASSERT_TRUE(lines);
  EXPECT_EQ((*lines)[0], "a b|$HOME;*");
}

TEST_F(KRTaskRun, RawDataModeWritesEverythingAndReturnsNothing) {
  KRTask task;
  auto file = scratch.path() / "raw.trdr";
  task.setRawDataPath(file.string());
  EXPECT_FALSE(sh("printf 'a\\n\\n\\tb'", task));
  EXPECT_EQ(readFile(file), "a\n\n\tb");
}

TEST_F(KRTaskRun, LongOutputArrivesWhole) {
  KRTask task;
  // Far beyond one pipe buffer, written in bursts.
  auto lines = sh("i=0; while [ $i -lt 3000 ]; do echo \"line $i of a long answer\"; i=$((i+1)); done", task);
  ASSERT_TRUE(lines);
  ASSERT_EQ(lines->size(), 3000u);
  EXPECT_EQ(lines->back(), "line 2999 of a long answer");
}

TEST_F(KRTaskRun, OutputWrittenJustBeforeExitIsKept) {
  for (int i = 0; i < 20; ++i) {
    KRTask task;
    auto lines = sh("echo a; sleep 0.01; echo b; echo c", task);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 3u) << "run " << i;
  }
}

// What the run started besides the child: "sleep 3600" in the background,
// its id written to a file, as the gate runs smartctl as its own child.
std::string sleeperBehind(const std::filesystem::path& pids) {
  return "sleep 3600 & echo $! > '" + pids.string() + "'; ";
}

TEST_F(KRTaskRun, HungRunIsStoppedAtTheTimeLimitWithEverythingItStarted) {
  const auto pids = scratch.path() / "pids";
  KRTask task;
  task.setTimeLimit(0.5);
  EXPECT_FALSE(sh(sleeperBehind(pids) + "echo started; wait", task));
  EXPECT_TRUE(task.timedOut());
  EXPECT_FALSE(task.cancelled());
  EXPECT_EQ(task.getErrorCode(), -SIGKILL);
  EXPECT_TRUE(mem.log->contains("after 0.5 seconds without an answer"));
  const auto sleeper = testing_support::pidsInFile(pids);
  ASSERT_EQ(sleeper.size(), 1u);
  EXPECT_TRUE(testing_support::processEnded(sleeper[0])) << "the run's whole process group is killed";
  EXPECT_EQ(KRTask::childrenLeftBehind(), 0u);
}

TEST_F(KRTaskRun, InvalidOutputEndsTheRunAtOnce) {
  const auto pids = scratch.path() / "pids";
  KRTask task;
  // Were the run to wait for its limit, the test would outlast its own.
  task.setTimeLimit(3600);
  EXPECT_FALSE(sh(sleeperBehind(pids) + "printf 'ok\\n\\377\\n'; wait", task));
  EXPECT_FALSE(task.timedOut());
  EXPECT_EQ(task.getErrorCode(), 0);
  const auto sleeper = testing_support::pidsInFile(pids);
  ASSERT_EQ(sleeper.size(), 1u);
  EXPECT_TRUE(testing_support::processEnded(sleeper[0]));
}

TEST_F(KRTaskRun, CancellationStopsTheRunUnderWayAndTheNextOnes) {
  const auto pids = scratch.path() / "pids";
  auto cancellation = std::make_shared<KRTask::Cancellation>();
  KRTask hung, next;
  std::optional<logs::OutputLines> first, second;
  std::thread worker([&] {
    KRTask::setThreadCancellation(cancellation);
    hung.setTimeLimit(3600);
    first = sh(sleeperBehind(pids) + "echo started; wait", hung);
    second = sh("echo never started > '" + (scratch.path() / "second").string() + "'", next);
  });
  // Once the run is under way (its sleeper is up), cancel it.
  for (int i = 0; i < 1000 && testing_support::pidsInFile(pids).empty(); ++i) ::usleep(10000);
  cancellation->cancel();
  worker.join();
  EXPECT_FALSE(first);
  EXPECT_TRUE(hung.cancelled());
  EXPECT_FALSE(hung.timedOut());
  EXPECT_FALSE(second);
  EXPECT_TRUE(next.cancelled());
  EXPECT_FALSE(std::filesystem::exists(scratch.path() / "second"));
  const auto sleeper = testing_support::pidsInFile(pids);
  ASSERT_EQ(sleeper.size(), 1u);
  EXPECT_TRUE(testing_support::processEnded(sleeper[0]));

  // Other threads, and this one, run as before.
  KRTask other;
  EXPECT_TRUE(sh("echo fine", other));
}
