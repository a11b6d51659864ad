// tarvel-notify: `tarvel notify NAME [OBJECT]`, a program of its own so that
// tarvel's checks do not load Qt; tarvel runs it with the same arguments.
#include <iostream>

#include "app/cli/NotifyCommand.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return cli::runNotifyCommand(args, std::cout, std::cerr);
}
