// Reads one line of smartctl text from left to right, the way the log row
// parsers cut it: blanks (spaces and tabs) are skipped before every item,
// and a read that finds nothing reports failure and leaves the position
// where it was, so the next read starts on the same text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace logs {

class TextScanner {
 public:
  explicit TextScanner(std::string text) : text_(std::move(text)) {}

  // Decimal with an optional sign. A number too large for the type reads as
  // its largest (or smallest) value; all of its digits are consumed.
  bool scanInt(int32_t& out);
  bool scanLongLong(int64_t& out);
  // Hexadecimal with an optional "0x"/"0X" prefix; saturates like the above.
  bool scanHexInt(uint32_t& out);
  bool scanHexLongLong(uint64_t& out);
  // The run of characters up to the next blank / decimal digit (or the end).
  bool scanUpToBlank(std::string& out);
  bool scanUpToDigit(std::string& out);
  // Everything left on the line.
  bool scanRest(std::string& out);

  size_t position() const { return pos_; }
  // Moving past the end of the text is a range failure (platform::Exception).
  void setPosition(size_t position);
  // Nothing but blanks is left.
  bool atEnd() const;
  const std::string& text() const { return text_; }

 private:
  size_t afterBlanks() const;
  bool scanSigned(int64_t& out, int64_t min, int64_t max);
  bool scanHex(uint64_t& out, uint64_t max);
  bool scanUpTo(bool (*stop)(char), std::string& out);

  std::string text_;
  size_t pos_ = 0;
};

}  // namespace logs
