#include "support/CrashReporterActions.h"

#include "support/PXCrashReporter.h"

void PXFeedbackProvider::orderFrontFeedbackWindow() {
  auto& shared = PXCrashReporter::sharedReporter();
  if (shared) {
    if (QWidget* w = shared->window()) {
      w->show();
      w->raise();
      w->activateWindow();
    }
    return;
  }
  shared = PXCrashReporter::init();
}

void PXFeedbackProvider::orderFrontBugReportWindow() { orderFrontFeedbackWindow(); }

void support::runCrashCheck() {
  if (auto reporter = PXCheckForCrash()) PXCrashReporter::keepUntilClosed(std::move(reporter));
}
