// The overall health self-assessment of "smartctl -H".
#include "logs/Ata.h"

namespace logs {

void parseAtaHealth(const OutputLines& lines, const Settings& settings, std::optional<std::string>& overallHealth,
                    Findings& findings) {
  settings.debug("Parsing health.");
  static const std::string kLabel = "result: ";
  // The banner takes the first three lines.
  for (size_t i = 3; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    size_t at = line.find(kLabel);
    if (at == std::string::npos) continue;
    overallHealth = line.substr(at + kLabel.size());
    if (overallHealth->find("PASSED") != std::string::npos) {
      findings.health = kHealthPassed;
      settings.debug("Found PASSED health.");
    } else if (overallHealth->find("FAILED") != std::string::npos) {
      findings.health = kHealthFailed;
      settings.debug("Found FAILED health.");
    } else {
      findings.health = kHealthUnknown;
      settings.debug("Could not find health.");
    }
    return;
  }
  settings.debug("Error parsing health: health not returned.");
  findings.health = kHealthUnknown;
}

}  // namespace logs
