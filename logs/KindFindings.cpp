#include "logs/KindFindings.h"

#include <algorithm>

#include "platform/Format.h"

namespace kinds {

std::string Reason::text() const {
  std::vector<platform::FormatArg> formatArgs;
  for (const std::string& a : args) formatArgs.emplace_back(a);
  return platform::formatArgs(format, formatArgs);
}

void Findings::raise(Verdict to, Reason reason) {
  if (static_cast<int32_t>(to) > static_cast<int32_t>(verdict)) verdict = to;
  const bool known = std::any_of(reasons.begin(), reasons.end(), [&](const Reason& r) {
    return r.key == reason.key && r.args == reason.args;
  });
  if (!known) reasons.push_back(std::move(reason));
}

void Findings::note(Reason reason) { notes.push_back(std::move(reason)); }

std::vector<std::string> Findings::reasonTexts() const {
  std::vector<std::string> out;
  for (const Reason& r : reasons) out.push_back(r.text());
  return out;
}

void judgeErrorCount(int64_t count, const std::string& suffix, Reason reason, const KindSettings& settings,
                     const RememberedCounts& remembered, Findings& findings) {
  const int64_t limit = settings.customBadSectorCount ? settings.customBadSectorCountValue : 0;
  int64_t last = -1;
  if (settings.rememberBadSectors) {
    auto it = remembered.find(suffix);
    last = it == remembered.end() ? 0 : it->second;
  }
  if (last < count && count > limit && findings.verdict != Verdict::Failed)
    findings.raise(Verdict::Failing, std::move(reason));
  findings.remember.push_back({suffix, count});
}

}  // namespace kinds
