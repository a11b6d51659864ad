// Installs the real platform services of the tray program.
#pragma once

namespace tray {

// Syslog (also standard error when `verbose`), the bundle's string tables
// and folders, modal alerts as message boxes, and the preferences stored
// under the monitor's own domain; the monitor adds its defaults and the
// main application's domain when it comes up. Needs a QApplication.
void installTrayPlatform(bool verbose);

}  // namespace tray
