// smartctl for tests of NVMe, SCSI and SMART-less drives. It answers for the
// device named last from captures/<name>.txt beside the program (or in
// $TARVEL_STANDIN_CAPTURES): with "-d TYPE" from <name>@TYPE.txt when there
// is one, and with "-n MODE" from <name>.standby when there is one (empty:
// the usual standby line). A device without a capture fails to open. When
// captures/calls.log exists, every call is appended to it. With
// $TARVEL_STANDIN_DELAY_MS it takes that long to answer, as a disk does
// (bench/cli_overhead.sh).
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "tools/standin/SmartctlStandin.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

const char* kBanner =
    "smartctl 7.4 2023-08-01 r5530 [x86_64-linux] (stand-in)\n"
    "Copyright (C) 2002-23, Bruce Allen, Christian Franke, www.smartmontools.org\n\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const char* delay = std::getenv("TARVEL_STANDIN_DELAY_MS"))
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delay)));
  const char* env = std::getenv("TARVEL_STANDIN_CAPTURES");
  const fs::path captures = env && *env ? fs::path(env) : fs::path(argv[0]).parent_path() / "captures";

  if (fs::exists(captures / "calls.log")) {
    std::ofstream log(captures / "calls.log", std::ios::app);
    for (size_t i = 0; i < args.size(); ++i) log << (i ? " " : "") << args[i];
    log << "\n";
  }

  std::string error;
  std::optional<standin::Request> request = standin::parseArguments(args, error);
  if (!request) {
    std::cout << kBanner << "=======> " << error << "\n";
    return 1;
  }
  if (request->version) {
    std::cout << standin::answer("", *request).text;
    return 0;
  }

  const std::string name = fs::path(request->device).filename().string();
  fs::path capture = captures / (name + ".txt");
  if (request->deviceType && fs::exists(captures / (name + "@" + *request->deviceType + ".txt")))
    capture = captures / (name + "@" + *request->deviceType + ".txt");
  if (!fs::exists(capture)) {
    std::cout << kBanner << "Smartctl open device: " << request->device << " failed: No such device\n";
    return 2;
  }
  const fs::path asleep = captures / (name + ".standby");
  if (request->powerMode && *request->powerMode != "never" && fs::exists(asleep)) {
    std::string text = readFile(asleep);
    std::cout << (text.empty() ? std::string(kBanner) + "Device is in STANDBY mode, exit(2)\n" : text);
    return 2;
  }
  const standin::Answer a = standin::answer(readFile(capture), *request);
  std::cout << a.text;
  return a.exitStatus;
}
