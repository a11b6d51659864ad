// The rules that judge a SAS/SCSI drive by its smartctl records.
//
// Failed: "SMART Health Status:" is anything but "OK" (its text is the
// reason). Failing: grown defects, or uncorrected read, write or verify
// errors of the error counter log, above zero under the bad-sector
// preferences. Non-medium errors and the self-test log are shown, not judged.
// Without a health status the drive stays unknown (a note says why), unless a
// finding outranks that.
#pragma once

#include "logs/KindFindings.h"
#include "logs/ScsiParsing.h"

namespace scsi {

// Key suffixes of the remembered counts.
inline constexpr const char* kGrownDefectCountSuffix = "_LastGrownDefectCount";
inline constexpr const char* kUncorrectedReadCountSuffix = "_LastUncorrectedReadCount";
inline constexpr const char* kUncorrectedWriteCountSuffix = "_LastUncorrectedWriteCount";
inline constexpr const char* kUncorrectedVerifyCountSuffix = "_LastUncorrectedVerifyCount";

kinds::Findings evaluate(const Report& report, const logs::Settings& settings, logs::Remembered& remembered);

}  // namespace scsi
