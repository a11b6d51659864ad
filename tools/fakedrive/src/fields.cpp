#include "fields.h"

#include "values.h"

#include <algorithm>

namespace fakedrive {

Fields::Fields(std::string_view text, std::initializer_list<std::string_view> allowed)
{
    for (std::string_view word : split_words(text)) {
        const auto eq = word.find('=');
        if (eq == std::string_view::npos || eq == 0 || eq + 1 == word.size())
            throw ValueError("expected name=value, got '" + std::string(word) + "'");
        const std::string name = lowercase(word.substr(0, eq));
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
            std::string list;
            for (std::string_view a : allowed)
                list += (list.empty() ? "" : ", ") + std::string(a);
            throw ValueError("unknown field '" + name + "' (known: " + list + ")");
        }
        if (!values_.emplace(name, word.substr(eq + 1)).second)
            throw ValueError("field '" + name + "' given twice");
    }
}

std::optional<std::string_view> Fields::get(std::string_view name) const
{
    if (const auto it = values_.find(name); it != values_.end())
        return it->second;
    return std::nullopt;
}

std::string_view Fields::require(std::string_view name) const
{
    if (const auto value = get(name))
        return *value;
    throw ValueError("missing field '" + std::string(name) + "='");
}

std::optional<std::uint64_t> Fields::number(std::string_view name, std::uint64_t max) const
{
    if (const auto value = get(name))
        return parse_unsigned(*value, max, name);
    return std::nullopt;
}

} // namespace fakedrive
