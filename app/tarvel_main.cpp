// tarvel: checks the SMART health of the machine's disks from the command line.
#include <signal.h>

#include <iostream>

#include "app/cli/Main.h"
#include "engine/KRTask.h"

namespace {

// Each smartctl run has a process group of its own, which the terminal's
// Ctrl-C does not reach: take it down with us.
void endWithChildren(int signal) {
  KRTask::killRunning();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

}  // namespace

int main(int argc, char** argv) {
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    struct sigaction inherited {};
    // A signal the caller ignores (nohup) stays ignored.
    if (::sigaction(s, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN) ::signal(s, endWithChildren);
  }
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = cli::run(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
