// The one UTF-8 decoder of the system, strict: the command runner rejects
// output that fails it, reports count characters with it, the version
// comparator walks versions with it, and the crash reporter reads logs with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// Decodes the character that starts at byte `i` of `text` into `codepoint`
// and returns its length in bytes, or 0 when the bytes there are not UTF-8:
// stray or cut sequences, overlong forms, surrogates, values past U+10FFFF.
size_t decodeUtf8(std::string_view text, size_t i, uint32_t& codepoint);

bool isValidUtf8(std::string_view text);

// Length in UTF-16 units, or nothing when `text` is not valid UTF-8 (a
// character cut at the end counts as invalid).
std::optional<size_t> utf16Length(std::string_view text);

}  // namespace platform
