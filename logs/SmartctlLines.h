// Small readers for smartctl's "Label:   value" text as the NVMe and SCSI
// parsers meet it: lines may end in CR LF, start with blanks or tabs, and
// numbers come with the locale's thousands separators.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace smartctl {

using Lines = std::vector<std::string>;

// The line without leading and trailing blanks, tabs, CR and LF.
std::string_view trimmed(std::string_view line);

// The trimmed text after `label` when the trimmed line begins with it.
std::optional<std::string> valueAfter(std::string_view line, std::string_view label);

// The first value for `label` in the lines.
std::optional<std::string> findValue(const Lines& lines, std::string_view label);

bool startsWith(std::string_view text, std::string_view prefix);
bool contains(std::string_view text, std::string_view part);
// Whether `text` is one or more ASCII digits and nothing else.
bool allDigits(std::string_view text);

// The unsigned number at the start of `text` (after blanks and a "~" that
// marks a rounded 128-bit value). Thousands separators ",", ".", "'", a
// blank, U+00A0 or U+202F are skipped when three digits follow them, so
// "1,234,567 [632 GB]" and "837 355 [428 GB]" both read the whole number.
// A value beyond 64 bits reads as the largest 64-bit value.
std::optional<uint64_t> leadingNumber(std::string_view text);

// The text inside the first "[...]" ("4.00 TB"), if any.
std::optional<std::string> bracketed(std::string_view text);

// The number at the start of `text` as a signed 64-bit count (saturating).
std::optional<int64_t> leadingCount(std::string_view text);

// The words of a line, split at blanks and tabs.
std::vector<std::string> words(std::string_view line);

}  // namespace smartctl
