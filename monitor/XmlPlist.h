// Property lists as XML text, the format the companion application reads,
// and the atomic file write that keeps a reader from seeing half a file.
#pragma once

#include <string>

#include "platform/PlistValue.h"

// The whole document: XML declaration, DOCTYPE, <plist> around `root`.
std::string xmlPropertyList(const platform::PlistValue& root);

// Writes `contents` to a new file beside `path` and renames it over `path`.
// On failure nothing at `path` changes and `error` says why.
bool writeFileAtomically(const std::string& path, const std::string& contents, std::string& error);
