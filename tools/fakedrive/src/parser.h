// Reading a drive description (see README.md for the format).
#pragma once

#include "drive.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace fakedrive {

class ParseError : public std::runtime_error {
public:
    ParseError(int line, const std::string& message)
        : std::runtime_error(message), line_(line) {}
    // 1-based; 0 when the problem is the description as a whole.
    int line() const { return line_; }

private:
    int line_;
};

Drive parse_description(std::string_view text);

} // namespace fakedrive
