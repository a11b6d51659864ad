#include "tests/support/SimulatedMachine.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/TestPlatform.h"

namespace testing_support {

fs::path fakedriveTool() { return buildDir() / "tools/fakedrive/tarvel-fakedrive"; }

fs::path smartctlStandin() { return buildDir() / "tools/standin/tarvel-smartctl-standin"; }

fs::path makeMachine(const fs::path& scratch, const std::string& name, const std::string& devices,
                     const std::string& mounts, const std::string& drives) {
  const fs::path description = scratch / (name + "-description");
  fs::create_directories(description);
  for (const auto& [file, text] : {std::pair{"devices", devices}, {"mounts", mounts}, {"drives", drives}})
    std::ofstream(description / file) << text;
  return makeMachine(description, scratch / (name + ".app"));
}

fs::path makeMachine(const fs::path& description, const fs::path& machine) {
  auto r = runProcess({(sourceDir() / "tests/simulated-machine/make-machine.sh").string(), description.string(),
                       machine.string(), (buildDir() / "Tarvel Menu Item.app/Contents/MacOS/tarvel").string(),
                       fakedriveTool().string(), smartctlStandin().string()});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  return r.status == 0 ? machine : fs::path();
}

ProcessResult runTarvel(const fs::path& machine, const fs::path& home, const std::vector<std::string>& args,
                        bool scan) {
  fs::create_directories(home);
  std::vector<std::string> argv{(machine / "Contents/MacOS/tarvel").string()};
  if (scan) argv.insert(argv.end(), {"--listings", (machine / "listings").string()});
  argv.insert(argv.end(), args.begin(), args.end());
  return runProcess(argv, "",
                    {{"HOME", home.string()},
                     {"XDG_STATE_HOME", ""},
                     {"XDG_DATA_HOME", ""},
                     {"XDG_CONFIG_HOME", ""},
                     {"LANG", "C"},
                     {"LANGUAGE", ""}});
}

}  // namespace testing_support
