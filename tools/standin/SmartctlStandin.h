// A stand-in for smartctl in tests of drives that smartctl cannot replay
// (NVMe, SAS/SCSI, USB, disks without SMART): given a captured "-a" or "-x"
// answer, it prints for each option the part of it that smartctl prints for
// that option, with the banner, and exits with the status smartctl gives.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace standin {

// What one option asks smartctl to print.
enum class Part { Info, Capabilities, Health, Attributes, ErrorLog, SelfTestLog, SelectiveLog, Extra };

struct Request {
  std::set<Part> parts;
  std::optional<std::string> powerMode;   // "-n standby"
  std::optional<std::string> deviceType;  // "-d sat"
  std::optional<std::string> selfTest;    // "-t short", "-t long", or "abort" for "-X"
  bool version = false;                   // "-V"
  bool enable = false;                    // "-s on"
  std::string device;                     // the last argument
};

// Reads smartctl's arguments as the drive record builds them (and the long
// forms of the same options); nothing when they do not parse.
std::optional<Request> parseArguments(const std::vector<std::string>& args, std::string& error);

struct Answer {
  std::string text;
  int exitStatus = 0;
};

// The answer to `request` from a captured answer `capture`.
Answer answer(const std::string& capture, const Request& request);

// The exit status smartctl gives for an answer it printed, as its man page
// lays out the bits: 1 command line, 2 open failure or low-power mode,
// 4 a SMART command failed, 8 health "failed", 16 prefail attribute at or
// below threshold now, 32 in the past, 64 error log has errors, 128 the
// self-test log has errors.
int exitStatusFor(const std::vector<std::string>& printedLines);

}  // namespace standin
