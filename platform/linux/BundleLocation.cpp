#include "platform/linux/BundleLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace platform::real {

namespace fs = std::filesystem;

namespace {

std::string homeDirectory() {
  if (const char* h = std::getenv("HOME"); h && *h) return h;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string xdg(const char* var, const std::string& home, const char* fallback) {
  const char* v = std::getenv(var);
  // Relative values are invalid by the XDG rules and are ignored.
  if (v && *v == '/') return v;
  return home + "/" + fallback;
}

}  // namespace

BundlePaths locateBundle() {
  BundlePaths p;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  fs::path exeDir = ec ? fs::current_path(ec) : exe.parent_path();
  p.executableFolder = exeDir.string();
  if (exeDir.filename() == "MacOS" && exeDir.parent_path().filename() == "Contents") {
    p.bundlePath = exeDir.parent_path().parent_path().string();
    p.resourcesPath = (exeDir.parent_path() / "Resources").string();
  } else {
    p.bundlePath = exeDir.string();
    p.resourcesPath = (exeDir / "Resources").string();
  }
  p.homeDirectory = homeDirectory();
  p.logsFolder = xdg("XDG_STATE_HOME", p.homeDirectory, ".local/state") + "/Tarvel";
  p.appSupportFolder = xdg("XDG_DATA_HOME", p.homeDirectory, ".local/share") + "/Tarvel";
  return p;
}

bool ensureWritableFolders(const BundlePaths& paths, std::string* error) {
  for (const auto& dir : {paths.logsFolder, paths.appSupportFolder}) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
      if (error) *error = "cannot create " + dir + ": " + ec.message();
      return false;
    }
  }
  return true;
}

}  // namespace platform::real
