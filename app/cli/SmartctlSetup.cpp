#include "app/cli/SmartctlSetup.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string_view>

#include "app/cli/GateMark.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace cli {

std::string bundledSmartctlPath() { return (fs::path(platform::bundle().executableFolder) / "smartctl").string(); }

std::optional<std::string> smartctlProblem() {
  const std::string path = bundledSmartctlPath();
  std::error_code ec;
  if (fs::is_symlink(path, ec) && !fs::exists(path, ec)) {
    return "smartctl is missing: " + path + " points to " + fs::read_symlink(path, ec).string() +
           ", which does not exist. Install smartmontools (sudo apt-get install smartmontools).";
  }
  if (!fs::exists(path, ec))
    return "smartctl is missing: there is no " + path + ". Build Tarvel again (ninja -C build) or reinstall it.";
  if (::access(path.c_str(), X_OK) != 0) return "smartctl is not executable: " + path;
  return std::nullopt;
}

bool reportsMissingPrivileges(const std::string& smartError) {
  return smartError.find("Permission denied") != std::string::npos ||
         smartError.find("Operation not permitted") != std::string::npos;
}

std::string privilegeHint() {
  return "Reading SMART data needs privileges to open the disks. Install Tarvel with "
         "'sudo cmake --install build', which gives the bundle's smartctl gate the capabilities it "
         "needs, or run tarvel as root.";
}

bool isGate(const std::string& path) {
  // The mark lies in the program's read-only data, near the start of the
  // file: read it in pieces, not the whole (debug information included).
  std::ifstream in(path, std::ios::binary);
  const std::string_view mark = TARVEL_GATE_MARK;
  std::string window;
  char piece[16384];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) {
    window.append(piece, static_cast<size_t>(in.gcount()));
    if (window.find(mark) != std::string::npos) return true;
    if (window.size() >= mark.size()) window.erase(0, window.size() - (mark.size() - 1));
  }
  return false;
}

}  // namespace cli
