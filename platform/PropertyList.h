// Property lists as bytes, through libplist: XML out (what the companion
// application, the preference files and people read), XML or binary in.
// XML dates keep whole seconds.
#pragma once

#include <optional>
#include <string>

#include "platform/PlistValue.h"

namespace platform {

// The whole document: XML declaration, DOCTYPE, <plist> around `root`.
std::string plistXml(const PlistValue& root);
// Nothing when `bytes` hold no property list.
std::optional<PlistValue> plistFromBytes(const std::string& bytes);
// Nothing also when the property list is no dictionary.
std::optional<PlistValue::Dict> dictFromPlist(const std::string& bytes);

}  // namespace platform
