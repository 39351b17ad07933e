#pragma once

#include <string_view>

namespace tally {

// The ASCII blanks (what isspace takes in the C locale); bytes of UTF-8
// characters are never among them.
inline constexpr std::string_view kBlanks = " \t\n\v\f\r";

inline std::string_view TrimLeft(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

inline std::string_view Trim(std::string_view text)
{
    text = TrimLeft(text);
    return text.substr(0, text.find_last_not_of(kBlanks) + 1);
}

} // namespace tally
