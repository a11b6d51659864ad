#include "support/CrashLogSearch.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/Format.h"

namespace fs = std::filesystem;

namespace {

struct Candidate {
  std::string relative;
  double time = 0;
};

bool matches(const std::string& relative, const std::string& prefix) {
  static const std::string kSuffix = ".crash";
  return relative.compare(0, prefix.size(), prefix) == 0 && relative.size() >= kSuffix.size() &&
         relative.compare(relative.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0;
}

// Name order makes ties come out the same on every file system, where the
// order of a plain directory listing is arbitrary.
void walk(const fs::path& root, const std::string& relativeDir, const std::string& prefix,
          std::optional<Candidate>& best, int depth) {
  if (depth > 64) return;  // deeper than any crash reporter writes
  std::error_code ec;
  fs::directory_iterator it(relativeDir.empty() ? root : root / relativeDir, ec);
  if (ec) return;
  std::vector<std::string> names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  for (const auto& name : names) {
    std::string relative = relativeDir.empty() ? name : relativeDir + "/" + name;
    fs::path full = root / relative;
    if (fs::is_directory(fs::symlink_status(full, ec))) {
      walk(root, relative, prefix, best, depth + 1);
      continue;
    }
    // Only files are logs; anything else of that name cannot be read as one.
    if (!fs::is_regular_file(fs::status(full, ec)) || !matches(relative, prefix)) continue;
    auto time = support::modificationTime(full.string());
    if (!time) continue;
    if (!best || *time > best->time) best = Candidate{relative, *time};
  }
}

}  // namespace

std::optional<double> support::modificationTime(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<double>(st.st_mtim.tv_sec) + static_cast<double>(st.st_mtim.tv_nsec) / 1e9;
}

std::optional<std::string> PXFindNewestCrashLog(const std::string& applicationName, const std::string& folder) {
  std::optional<Candidate> best;
  walk(fs::path(folder), "", platform::format("%@_", applicationName), best, 0);
  if (!best) return std::nullopt;
  return (fs::path(folder) / best->relative).string();
}
