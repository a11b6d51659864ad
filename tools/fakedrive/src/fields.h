// "name=value name=value" lists, as used by error, command and test lines.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace fakedrive {

class Fields {
public:
    // Throws ValueError on a word without '=', a repeated name, or a name
    // not in `allowed`.
    Fields(std::string_view text, std::initializer_list<std::string_view> allowed);

    std::optional<std::string_view> get(std::string_view name) const;
    bool has(std::string_view name) const { return get(name).has_value(); }
    std::string_view require(std::string_view name) const;

    // Numeric shorthands that also bound the value.
    std::optional<std::uint64_t> number(std::string_view name, std::uint64_t max) const;

private:
    std::map<std::string, std::string_view, std::less<>> values_;
};

} // namespace fakedrive
