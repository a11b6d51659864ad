// tarvel: checks the SMART health of the machine's disks from the command line.
#include <iostream>

#include "app/cli/Main.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = cli::run(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
