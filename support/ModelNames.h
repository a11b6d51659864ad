// Readable names for machine model identifiers ("MacBookPro11,3" ->
// "MacBook Pro (15-inch, Retina, Late 2013 or Mid 2014)"), with family
// keys that catch identifiers the table does not list.
#pragma once

#include <string>
#include <vector>

namespace support {

struct ModelEntry {
  const char* identifier;
  const char* name;
};

// Every entry as written, duplicates included.
const std::vector<ModelEntry>& modelTableEntries();

// The name for a model string: the exact entry, else the last family key
// (in byte order) found inside it with the key in parentheses, else
// "Unknown (<model>)".
std::string modelNameForIdentifier(const std::string& model);

}  // namespace support
