// The notification service's delegate: names the application that posts.
#pragma once

#include <string>

class KRGrowlBridgeController {
 public:
  std::string applicationNameForGrowl() const { return "Tarvel"; }
};
