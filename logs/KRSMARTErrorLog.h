// One entry of the drive's ATA error log, with the commands that led to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "logs/KRSMARTErrorCommand.h"

class KRSMARTErrorLog {
 public:
  int32_t getNumber() const { return number; }
  void setNumber(int32_t v) { number = v; }
  int32_t getTime() const { return time; }
  void setTime(int32_t v) { time = v; }
  const std::optional<std::string>& getActivity() const { return activity; }
  void setActivity(std::optional<std::string> v) { activity = std::move(v); }
  uint32_t getRegisterER() const { return registerER; }
  void setRegisterER(uint32_t v) { registerER = v; }
  uint32_t getRegisterST() const { return registerST; }
  void setRegisterST(uint32_t v) { registerST = v; }
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
  // The getters give the display text of the code, the setters take the code.
  std::string getError1() const { return errorTypeToString(error1); }
  void setError1(int32_t code) { error1 = code; }
  std::string getError2() const { return errorTypeToString(error2); }
  void setError2(int32_t code) { error2 = code; }
  int32_t getError1Code() const { return error1; }
  int32_t getError2Code() const { return error2; }
  int32_t getSectors() const { return sectors; }
  void setSectors(int32_t v) { sectors = v; }
  int64_t getLBA() const { return lba; }
  void setLBA(int64_t v) { lba = v; }
  // A copy of the command rows; empty when there is no list.
  std::vector<KRSMARTErrorCommand> getErrorCommands() const {
    return errorCommands.value_or(std::vector<KRSMARTErrorCommand>{});
  }
  void setErrorCommands(std::vector<KRSMARTErrorCommand> v) { errorCommands = std::move(v); }
  // The command text of the first row; nothing when there is none.
  std::optional<std::string> getLastErrorCommand() const;

  // Display text of an error-type code, localized from table "Main".
  static std::string errorTypeToString(int32_t code);

  // The entry as the drive report prints it.
  std::string description() const;

 private:
  int32_t number = 0;
  int32_t time = 0;
  std::optional<std::string> activity;
  uint32_t registerER = 0;
  uint32_t registerST = 0;
  uint32_t registerSC = 0;
  uint32_t registerSN = 0;
  uint32_t registerCL = 0;
  uint32_t registerCH = 0;
  uint32_t registerDH = 0;
  int32_t error1 = 0;
  int32_t error2 = 0;
  int32_t sectors = 0;
  int64_t lba = 0;
  std::optional<std::vector<KRSMARTErrorCommand>> errorCommands;
};
