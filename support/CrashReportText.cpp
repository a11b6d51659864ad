#include "support/CrashReportText.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/Format.h"
#include "platform/Utf8.h"
#include "support/SystemInformation.h"

namespace support {

std::optional<std::string> readUtf8File(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return std::nullopt;
  std::string text = ss.str();
  if (!platform::isValidUtf8(text)) return std::nullopt;
  return text;
}

std::string lastReportPiece(const std::optional<std::string>& fileText) {
  if (!fileText) return kUnreadableReport;
  const std::string sep = kReportSeparator;
  size_t at = fileText->rfind(sep);
  return at == std::string::npos ? *fileText : fileText->substr(at + sep.size());
}

std::string countPrefix(int32_t cpuCount) { return cpuCount != 1 ? platform::format("%dx ", cpuCount) : ""; }

float clockSpeedGHz(uint32_t mhz) { return static_cast<float>(mhz) / 1000.0f; }

std::string orNull(const std::optional<std::string>& text) { return text ? *text : "(null)"; }

std::string domainDescription(const std::optional<platform::PlistValue::Dict>& domain) {
  return domain ? platform::PlistValue(*domain).describe() : "(null)";
}

std::string crashReportText(const std::string& model, int32_t cpuCount, uint32_t mhz, const std::string& report,
                            const std::string& preferences) {
  return platform::format("Model: %@\nCPU Speed: %@%.2f GHz\n%@\n\nPreferences:\n%@", model, countPrefix(cpuCount),
                          clockSpeedGHz(mhz), report, preferences);
}

MachineFacts thisMachineFacts() {
  MachineFacts f;
  f.model = orNull(MachineModelName());
  f.cpuCount = CPUCount();
  f.mhz = CPUClockSpeedMHz();
  f.cpuName = orNull(CPUName(false));
  f.ramMB = PhysicalRAMSizeMB();
  f.systemVersion = orNull(SystemVersionString());
  return f;
}

std::string feedbackSystemInformation(const std::string& application, const std::string& version,
                                      const MachineFacts& facts, const std::string& preferences) {
  return platform::format(
      "Application: %@ %@\nModel: %@\nCPU Speed: %@%.2f GHz\nCPU: %@\nRAM: %u GB\nSystem Version: %@\n\n"
      "Preferences:\n%@",
      application, version, facts.model, countPrefix(facts.cpuCount), clockSpeedGHz(facts.mhz), facts.cpuName,
      static_cast<uint32_t>(facts.ramMB) >> 10, facts.systemVersion, preferences);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

std::string longUserName() {
  std::vector<char> buf(16384);
  passwd pw {};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found) {
    std::string gecos = found->pw_gecos ? found->pw_gecos : "";
    std::string full = gecos.substr(0, gecos.find(','));
    if (!full.empty()) return full;
    if (found->pw_name) return found->pw_name;
  }
  const char* user = std::getenv("USER");
  return user ? user : "";
}

std::string emailAddress(const std::string& missing) {
  const char* email = std::getenv("EMAIL");
  return email && *email ? email : missing;
}

}  // namespace support
