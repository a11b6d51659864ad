// Runs one program as a child process (no shell), with standard output and
// standard error in one pipe, and hands back what it printed as output
// lines or writes it whole into a file. One instance serves one run.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "logs/OutputLines.h"

class KRTask {
 public:
  // Runs `path` with `arguments`. Returns the output lines, or nothing when
  // the output was not valid UTF-8, the child ended by a signal (see
  // getErrorCode), the run timed out or was cancelled, or raw-data mode is
  // on. Throws platform::Exception when the child cannot be started, and a
  // range failure in line mode when the output holds no line feed at all.
  std::optional<logs::OutputLines> parseCommandLine(const std::string& path,
                                                    const std::optional<std::vector<std::string>>& arguments);

  void setRawDataPath(const std::string& path) { rawDataPath_ = path; }
  void setReadFromFilePath(const std::string& path) { filePath_ = path; }
  int32_t getErrorCode() const { return errorCode_; }
  // The child's whole environment, in place of this process's.
  void setEnvironment(std::vector<std::string> environment) { environment_ = std::move(environment); }

  // A run longer than this is stopped, logged, and counts as ended by
  // SIGKILL, so one hung drive cannot stall the others.
  void setTimeLimit(double seconds) { timeLimit_ = seconds; }
  double timeLimit() const { return timeLimit_; }
  static void setDefaultTimeLimit(double seconds);
  static double defaultTimeLimit();

  // How the run ended when it gave nothing: stopped at its time limit, or
  // stopped (or never started) because its thread's work was cancelled.
  bool timedOut() const { return timedOut_; }
  bool cancelled() const { return cancelled_; }

  // Ends the runs of the threads that observe it: one under way is stopped
  // as at its time limit, later ones do not start. Thread-safe.
  class Cancellation {
   public:
    Cancellation();
    ~Cancellation();
    Cancellation(const Cancellation&) = delete;
    Cancellation& operator=(const Cancellation&) = delete;
    void cancel();
    bool cancelled() const;
    // Readable once cancelled, for poll().
    int fd() const { return fd_; }

   private:
    int fd_;
  };
  // The cancellation the runs of the calling thread observe (null: none).
  static void setThreadCancellation(std::shared_ptr<Cancellation> cancellation);

  // Children that did not end when killed (a process waiting for a dead
  // disk cannot be reaped until the disk answers) are left behind, logged,
  // and reaped by later runs once they end. How many are still left.
  static size_t childrenLeftBehind();
  // Kills the process groups of every run under way in this process, for
  // a program ended by a signal. Async-signal-safe, so the runs are kept
  // in fixed slots, not under a lock: at most this many at once.
  static constexpr size_t kMaxRunning = 64;
  static void killRunning();

  // The line rules every parser relies on: line 0 as is, later lines
  // without leading TAB/LF/CR and without empty ones, an unterminated last
  // line dropped. Throws a range failure when `output` has no line feed.
  static logs::OutputLines splitLines(const std::string& output);

 private:
  int32_t errorCode_ = 0;
  std::optional<std::string> rawDataPath_;
  std::optional<std::string> filePath_;
  std::optional<std::vector<std::string>> environment_;
  double timeLimit_ = defaultTimeLimit();
  bool timedOut_ = false;
  bool cancelled_ = false;
};
