// Strict UTF-8 decoding, shared by the command runner (which rejects
// invalid output), the JSON writer and the version comparator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

// Decodes the character that starts at byte `i` of `text` into `codepoint`
// and returns its length in bytes, or 0 when the bytes there are not UTF-8:
// stray or cut sequences, overlong forms, surrogates, values past U+10FFFF.
size_t decodeUtf8(std::string_view text, size_t i, uint32_t& codepoint);

}  // namespace platform
