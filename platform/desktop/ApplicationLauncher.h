// Launching an application by name, as a desktop's launcher does: its
// desktop entry in the XDG application folders, else an executable of that
// name on PATH, started detached.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform::desktop {

struct LaunchCommand {
  std::vector<std::string> arguments;  // program first
  std::string workingDirectory;        // empty: inherit ours
  bool operator==(const LaunchCommand&) const = default;
};

// The command of a desktop entry's [Desktop Entry] group: Exec split by the
// entry's quoting rules, file and URL field codes dropped (nothing is
// opened), "%%" as "%", Path as the working directory. Nothing when the
// entry is hidden, has no Exec, or its TryExec program is not there.
std::optional<LaunchCommand> desktopEntryCommand(const std::string& text);

// $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS (by default
// /usr/local/share:/usr/share) followed by /applications.
std::vector<std::string> applicationFolders();

// The first of `<id>.desktop` for each id in `desktopIds`, searched folder
// by folder, that yields a command; else `executable` found on PATH.
std::optional<LaunchCommand> findApplication(const std::vector<std::string>& desktopIds,
                                             const std::string& executable);

// Finds the application called `name` (desktop ids "<name>", "<name in
// lower case>" and the extra ids given) and starts it detached; false when
// there is none or it would not start.
bool launchApplicationNamed(const std::string& name, const std::vector<std::string>& extraDesktopIds = {});

}  // namespace platform::desktop
