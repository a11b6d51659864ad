// The three ways a parser cuts a value out of a smartctl line: the text
// after a label, a hexadecimal number in parentheses, and a decimal number
// in parentheses or at the start of a text. A line without what they look
// for is a range failure (platform::Exception "RangeException").
#pragma once

#include <cstdint>
#include <string>

namespace logs {

// The text after the first ": " (a tab counts as the blank), blanks skipped.
std::string parseLine(const std::string& line);
// The hexadecimal number in the 6 characters after the first "(".
uint32_t convertStringToHex(const std::string& text);
// The decimal number at the start of `text`, or in the 6 characters after
// its first "(" when `searchParan`; 0 when there is no digit.
int32_t convertStringToInt(const std::string& text, bool searchParan);

}  // namespace logs
