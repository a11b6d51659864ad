// Reads an appcast: an RSS feed whose items announce versions of the
// program, each with an enclosure carrying sparkle:version.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/SUUpdater.h"

// The items that carry a version, in feed order; nothing when the text is
// not a well-formed RSS document (`error` then says why).
namespace support {

std::optional<std::vector<SUAppcastItem>> parseAppcast(const std::string& xml, std::string* error);

// The item with the highest version by `comparator`; the first of equals.
std::optional<SUAppcastItem> newestAppcastItem(const std::vector<SUAppcastItem>& items,
                                               const SUVersionComparison& comparator);

}  // namespace support
