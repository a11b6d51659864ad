// A real Secret Service for a test: gnome-keyring-daemon with only the
// secrets component on the test's session bus, its login keyring made and
// unlocked with a password, its files in a scratch folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/support/RunProcess.h"

namespace testing_support {

class Keyring {
 public:
  explicit Keyring(const fs::path& scratch);
  // The service is on the bus.
  bool ok() const { return ok_; }
  // secret-tool on the same bus: the password stored under `attributes`
  // ("service", NAME, "account", NAME, ...), or nothing.
  static std::optional<std::string> lookup(const std::vector<std::string>& attributes);
  static bool store(const std::string& label, const std::string& password, const std::vector<std::string>& attributes);

 private:
  std::optional<Child> daemon_;
  bool ok_ = false;
};

}  // namespace testing_support
