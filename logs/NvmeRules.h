// The rules that judge an NVMe drive by its smartctl records.
//
// Failed: smartctl's health verdict is "FAILED!" (its "- ..." lines become
// the reasons), a critical-warning bit other than the temperature bit is
// set, or the available spare is below its threshold.
// Failing: the temperature bit alone, the percentage used at or above the
// wear limit, media and data integrity errors (under the bad-sector
// preferences), or a failed newest self-test.
// The error information log is shown, not judged; an unreadable self-test or
// error log is a note. Without any health answer the drive stays unknown,
// unless a finding outranks that.
#pragma once

#include "logs/KindFindings.h"
#include "logs/NvmeParsing.h"

namespace nvme {

// Key suffix of the remembered media-error count.
inline constexpr const char* kMediaErrorCountSuffix = "_LastMediaErrorCount";

kinds::Findings evaluate(const Report& report, const logs::Settings& settings, logs::Remembered& remembered);

}  // namespace nvme
