#pragma once

#include <string>
#include <string_view>

namespace tally {

// Lower-cases UTF-8 text code point by code point with the rules of the
// global C locale (towlower), so that non-ASCII letters fold as the user's
// locale says. Bytes that are not valid UTF-8 are kept as they are.
std::string LowerCase(std::string_view text);

// The file-name part of a path: the text after the last '/', '\' or ':'.
std::string_view FileNamePart(std::string_view path);

// Plain substring test on texts already lower-cased; an empty needle matches
// nothing.
inline bool ContainsText(std::string_view haystack, std::string_view needle)
{
    return !needle.empty() && haystack.find(needle) != std::string_view::npos;
}

} // namespace tally
