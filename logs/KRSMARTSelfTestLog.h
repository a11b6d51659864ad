// One entry of the drive's self-test log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class KRSMARTSelfTestLog {
 public:
  int32_t getNumber() const { return number; }
  void setNumber(int32_t v) { number = v; }
  const std::optional<std::string>& getType() const { return type; }
  void setType(std::optional<std::string> v) { type = std::move(v); }
  const std::optional<std::string>& getStatus() const { return status; }
  void setStatus(std::optional<std::string> v) { status = std::move(v); }
  int32_t getRemaining() const { return remaining; }
  void setRemaining(int32_t v) { remaining = v; }
  int32_t getLifetime() const { return lifetime; }
  void setLifetime(int32_t v) { lifetime = v; }
  // -1 when the log gives no failing LBA.
  int32_t getLBA() const { return lba; }
  void setLBA(int32_t v) { lba = v; }

  // The entry as the drive report prints it. Stores "Unknown type" into an
  // absent type or status first, which is why it is not const.
  std::string description();

 private:
  int32_t number = 0;
  std::optional<std::string> type;
  std::optional<std::string> status;
  int32_t remaining = 0;
  int32_t lifetime = 0;
  int32_t lba = 0;
};
