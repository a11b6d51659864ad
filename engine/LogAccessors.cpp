// Read access to the drive's attribute table, error log and self-test log.
#include <algorithm>

#include "engine/KRSMARTDrive.h"

std::optional<KRSMARTAttribute> KRSMARTDrive::driveAttribute(uint64_t index) const {
  const auto& rows = attributes.rows;
  if (!rows || index >= static_cast<uint64_t>(std::max(attributes.count, 0)) || index >= rows->size())
    return std::nullopt;
  return (*rows)[index];
}

std::optional<std::string> KRSMARTDrive::driveLastErrorType() const {
  if (!errorLog.entries || errorLog.entries->empty()) return std::nullopt;
  return errorLog.entries->front().getError1();
}

int32_t KRSMARTDrive::driveLastErrorTime() const {
  if (!errorLog.entries || errorLog.entries->empty()) return -1;
  return errorLog.entries->front().getTime();
}

std::optional<KRSMARTErrorLog> KRSMARTDrive::driveErrorLog(uint64_t index) const {
  if (!errorLog.entries || index >= 5 || index >= errorLog.entries->size()) return std::nullopt;
  return (*errorLog.entries)[index];
}

const std::vector<KRSMARTErrorLog>& KRSMARTDrive::driveErrorLogEntries() const {
  static const std::vector<KRSMARTErrorLog> none;
  return errorLog.entries ? *errorLog.entries : none;
}

int32_t KRSMARTDrive::driveLastTestTime() const {
  if (!selfTests.entries || selfTests.entries->empty()) return -1;
  return selfTests.entries->front().getLifetime();
}

std::optional<std::string> KRSMARTDrive::driveLastTestStatus() const {
  if (!selfTests.entries || selfTests.entries->empty()) return std::nullopt;
  const KRSMARTSelfTestLog& first = selfTests.entries->front();
  const KRSMARTSelfTestLog& last = selfTests.entries->back();
  return first.getLifetime() < last.getLifetime() ? last.getStatus() : first.getStatus();
}

std::optional<KRSMARTSelfTestLog> KRSMARTDrive::driveSelfTestLog(uint64_t index) const {
  if (!selfTests.entries || index >= selfTests.entries->size()) return std::nullopt;
  return (*selfTests.entries)[index];
}
