// One row of smartctl's attribute table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class KRSMARTAttribute {
 public:
  // What the row's WHEN_FAILED column says; 0 until a row was read.
  enum Failed : int32_t { kNeverFailed = 1, kFailingNow = 2, kFailedInThePast = 3 };

  int32_t getIDNumber() const { return idNumber; }
  void setIDNumber(int32_t v) { idNumber = v; }
  uint32_t getFlag() const { return flag; }
  void setFlag(uint32_t v) { flag = v; }
  int64_t getValue() const { return value; }
  void setValue(int64_t v) { value = v; }
  int64_t getWorst() const { return worst; }
  void setWorst(int64_t v) { worst = v; }
  int64_t getThresh() const { return thresh; }
  void setThresh(int64_t v) { thresh = v; }
  const std::optional<std::string>& getType() const { return type; }
  void setType(std::optional<std::string> v) { type = std::move(v); }
  const std::optional<std::string>& getUpdated() const { return updated; }
  void setUpdated(std::optional<std::string> v) { updated = std::move(v); }
  int32_t getFailed() const { return failed; }
  void setFailed(int32_t v) { failed = v; }
  int64_t getRaw() const { return raw; }
  void setRaw(int64_t v) { raw = v; }
  const std::optional<std::string>& getName() const { return name; }
  void setName(std::optional<std::string> v) { name = std::move(v); }
  int64_t getMin() const { return min; }
  void setMin(int64_t v) { min = v; }
  int64_t getMax() const { return max; }
  void setMax(int64_t v) { max = v; }
  bool getTemperatureAvailable() const { return temperatureAvailable; }
  void setTemperatureAvailable(bool v) { temperatureAvailable = v; }

  // The row as the drive report prints it, without a line break.
  std::string description() const;

 private:
  int32_t idNumber = 0;
  uint32_t flag = 0;
  int64_t value = 0;
  int64_t worst = 0;
  int64_t thresh = 0;
  std::optional<std::string> type;
  std::optional<std::string> updated;
  int32_t failed = 0;
  int64_t raw = 0;
  std::optional<std::string> name;
  int64_t min = 0;
  int64_t max = 0;
  bool temperatureAvailable = false;
};
