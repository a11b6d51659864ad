// Ends a Qt program the ordinary way (aboutToQuit runs) when it is asked to
// by a signal: SIGTERM at log-out, SIGINT and SIGHUP from a terminal.
#pragma once

#include <QtCore/QObject>

#include <memory>

namespace platform::desktop {

// Watches for the signals while the returned object lives; keep it within
// the application object's lifetime.
std::unique_ptr<QObject> quitOnTerminationSignals();

}  // namespace platform::desktop
