// One command row of an ATA error log entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class KRSMARTErrorCommand {
 public:
  uint32_t getRegisterCR() const { return registerCR; }
  void setRegisterCR(uint32_t v) { registerCR = v; }
  uint32_t getRegisterFR() const { return registerFR; }
  void setRegisterFR(uint32_t v) { registerFR = v; }
  uint32_t getRegisterSC() const { return registerSC; }
  void setRegisterSC(uint32_t v) { registerSC = v; }
  uint32_t getRegisterSN() const { return registerSN; }
  void setRegisterSN(uint32_t v) { registerSN = v; }
  uint32_t getRegisterCL() const { return registerCL; }
  void setRegisterCL(uint32_t v) { registerCL = v; }
  uint32_t getRegisterCH() const { return registerCH; }
  void setRegisterCH(uint32_t v) { registerCH = v; }
  uint32_t getRegisterDH() const { return registerDH; }
  void setRegisterDH(uint32_t v) { registerDH = v; }
  uint32_t getRegisterDC() const { return registerDC; }
  void setRegisterDC(uint32_t v) { registerDC = v; }
  const std::optional<std::string>& getPowerUpTime() const { return powerUpTime; }
  void setPowerUpTime(std::optional<std::string> v) { powerUpTime = std::move(v); }
  const std::optional<std::string>& getCommand() const { return command; }
  void setCommand(std::optional<std::string> v) { command = std::move(v); }

  // The row as the drive report prints it, ending in a line break.
  std::string description() const;

 private:
  uint32_t registerCR = 0;
  uint32_t registerFR = 0;
  uint32_t registerSC = 0;
  uint32_t registerSN = 0;
  uint32_t registerCL = 0;
  uint32_t registerCH = 0;
  uint32_t registerDH = 0;
  uint32_t registerDC = 0;
  std::optional<std::string> powerUpTime;
  std::optional<std::string> command;
};
