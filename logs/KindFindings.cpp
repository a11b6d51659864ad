#include "logs/KindFindings.h"

#include <algorithm>

#include "platform/Format.h"

namespace kinds {

std::string Reason::text() const {
  std::vector<platform::FormatArg> formatArgs;
  for (const std::string& a : args) formatArgs.emplace_back(a);
  return platform::formatArgs(format, formatArgs);
}

void Findings::raise(int32_t to, Reason reason) {
  if (to > health) health = to;
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

void judgeErrorCount(int64_t count, const std::string& suffix, Reason reason, const logs::Settings& settings,
                     logs::Remembered& remembered, Findings& findings) {
  const int64_t limit = settings.customBadSectorCount ? settings.customBadSectorCountValue : 0;
  const int64_t last = settings.rememberBadSectors ? remembered.last(suffix) : -1;
  if (last < count && count > limit && findings.health != logs::kHealthFailed)
    findings.raise(logs::kHealthFailing, std::move(reason));
  remembered.remember(suffix, count);
}

}  // namespace kinds
