// What the tray monitor calls of the crash reporter, free of Qt types: the
// crash check after launch and the feedback menu actions. Both need the
// Qt application to be running.
#pragma once

// Opens the feedback window, or brings the open one to the front.
class PXFeedbackProvider {
 public:
  void orderFrontFeedbackWindow();
  void orderFrontBugReportWindow();
};

// Runs the crash check once and keeps the report window it may open alive
// until the user closes it.
namespace support {
void runCrashCheck();
}  // namespace support
